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
    bool everInstalled = false;
};

// Never destroyed: worker threads may still post while the process exits.
InstalledExecutor& installedExecutor() {
    static auto* instance = new InstalledExecutor;
    return *instance;
}

// Work posted after the main loop has gone (while the program or a test winds down) has nobody
// to run it; it is dropped.
class DiscardingExecutor final : public MainExecutor {
public:
    void post(std::function<void()>) override {}
    bool isCurrentThread() const override { return false; }
};

} // namespace

void MainQueue::setExecutor(std::shared_ptr<MainExecutor> executor) {
    auto& installed = installedExecutor();
    std::lock_guard lock(installed.mutex);
    installed.everInstalled = installed.everInstalled || executor != nullptr;
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
    // The block moves on to the main thread whole: a copy left behind would release what it
    // holds on the clock's thread, and what a block holds (windows among them) must go on the
    // main thread.
    clock->schedule(clock->now() + delay,
                    [executor = requiredExecutor(), block = std::move(block)]() mutable {
                        executor->post(std::move(block));
                    });
}

void MainQueue::asyncAfter(Clock::Duration delay, std::shared_ptr<DispatchWorkItem> item) {
    asyncAfter(delay, [item = std::move(item)] { item->perform(); });
}

bool MainQueue::isMainThread() {
    auto current = executor();
    return current && current->isCurrentThread();
}

std::shared_ptr<MainExecutor> MainQueue::requiredExecutor() {
    auto& installed = installedExecutor();
    std::lock_guard lock(installed.mutex);
    if (installed.executor) {
        return installed.executor;
    }
    if (!installed.everInstalled) {
        std::fprintf(stderr, "orlix: main queue used before a main executor was installed\n");
        std::abort();
    }
    return std::make_shared<DiscardingExecutor>();
}

} // namespace orlix
