#include "Platform/MainQueue.h"

#include "Platform/DispatchWorkItem.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <utility>

namespace orlix {

namespace {

struct InstalledExecutor {
    std::mutex mutex;
    std::shared_ptr<MainExecutor> executor;
    bool everInstalled = false;
    // Delayed blocks wait here, not in the clock's timers, so that what they hold is never
    // released on the clock's thread, nor after the main loop is gone.
    std::uint64_t lastDelayed = 0;
    std::map<std::uint64_t, std::function<void()>> delayed;
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

std::function<void()> takeDelayed(std::uint64_t identifier) {
    auto& installed = installedExecutor();
    std::lock_guard lock(installed.mutex);
    const auto found = installed.delayed.find(identifier);
    if (found == installed.delayed.end()) {
        return {};
    }
    auto block = std::move(found->second);
    installed.delayed.erase(found);
    return block;
}

} // namespace

void MainQueue::setExecutor(std::shared_ptr<MainExecutor> executor) {
    auto& installed = installedExecutor();
    std::map<std::uint64_t, std::function<void()>> discarded;
    {
        std::lock_guard lock(installed.mutex);
        installed.everInstalled = installed.everInstalled || executor != nullptr;
        std::swap(installed.executor, executor);
        // The main loop's end: nobody will run the delayed blocks still waiting, and what they
        // hold goes now, on the main thread, outside the lock (a block may post as it goes).
        if (!installed.executor) {
            std::swap(discarded, installed.delayed);
        }
    }
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
    auto executor = requiredExecutor();
    std::uint64_t identifier = 0;
    {
        auto& installed = installedExecutor();
        std::lock_guard lock(installed.mutex);
        if (!installed.executor) {
            return;
        }
        identifier = ++installed.lastDelayed;
        installed.delayed.emplace(identifier, std::move(block));
    }
    // The clock holds only the block's number; the block itself is taken out where it runs.
    clock->schedule(clock->now() + delay, [executor = std::move(executor), identifier] {
        executor->post([identifier] {
            if (const auto block = takeDelayed(identifier)) {
                block();
            }
        });
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
