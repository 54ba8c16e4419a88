#pragma once

#include "Platform/MainExecutor.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace orlix {

// A main loop driven by hand: the thread that creates it is its main thread, and it runs posted
// blocks only inside runUntilIdle and runUntil, which must be called on that thread.
class RunLoop final : public MainExecutor {
public:
    RunLoop();

    void post(std::function<void()> block) override;
    bool isCurrentThread() const override;

    // Runs every posted block, including those posted meanwhile, until none is left.
    void runUntilIdle();
    // Waits for posted blocks and runs them until `done` holds or `timeout` has passed; `done` is
    // tested at the start and after each block, so what it waits for must arrive through a post.
    // Returns whether `done` held.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

private:
    std::optional<std::function<void()>> takeNext();
    std::optional<std::function<void()>> waitForNext(std::chrono::steady_clock::time_point until);
    // With the lock held.
    std::optional<std::function<void()>> popFront();
    void requireOwnThread() const;

    const std::thread::id thread_;
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> blocks_;
};

} // namespace orlix
