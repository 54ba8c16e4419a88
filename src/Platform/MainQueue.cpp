#include "Platform/MainQueue.h"

#include "Platform/DispatchWorkItem.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>

namespace orlix {

namespace {

struct InstalledExecutor {
    std::mutex mutex;
    std::shared_ptr<MainExecutor> executor;
};

InstalledExecutor& installedExecutor() {
    static InstalledExecutor instance;
    return instance;
}

} // namespace

void MainQueue::setExecutor(std::shared_ptr<MainExecutor> executor) {
    auto& installed = installedExecutor();
    std::lock_guard lock(installed.mutex);
    std::swap(installed.executor, executor);
}

std::shared_ptr<MainExecutor> MainQueue::executor() {
    auto& installed = installedExecutor();
    std::lock_guard lock(installed.mutex);
    return installed.executor;
}

void MainQueue::async(std::function<void()> block) {
    requiredExecutor()->post(std::move(block));
}

void MainQueue::asyncAfter(Clock::Duration delay, std::function<void()> block) {
    auto clock = Clock::shared();
    clock->schedule(clock->now() + delay, [executor = requiredExecutor(),
                                           block = std::move(block)] { executor->post(block); });
}

void MainQueue::asyncAfter(Clock::Duration delay, std::shared_ptr<DispatchWorkItem> item) {
    asyncAfter(delay, [item = std::move(item)] { item->perform(); });
}

bool MainQueue::isMainThread() {
    auto current = executor();
    return current && current->isCurrentThread();
}

std::shared_ptr<MainExecutor> MainQueue::requiredExecutor() {
    auto current = executor();
    if (!current) {
        std::fprintf(stderr, "orlix: main queue used before a main executor was installed\n");
        std::abort();
    }
    return current;
}

} // namespace orlix
