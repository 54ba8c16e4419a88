#include "Platform/RunLoop.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace orlix {

RunLoop::RunLoop()
    : thread_(std::this_thread::get_id()) {}

void RunLoop::post(std::function<void()> block) {
    {
        std::lock_guard lock(mutex_);
        blocks_.push_back(std::move(block));
    }
    posted_.notify_one();
}

bool RunLoop::isCurrentThread() const {
    return std::this_thread::get_id() == thread_;
}

void RunLoop::runUntilIdle() {
    requireOwnThread();
    while (auto block = takeNext()) {
        (*block)();
    }
}

bool RunLoop::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    requireOwnThread();
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        auto block = waitForNext(until);
        if (!block) {
            return done();
        }
        (*block)();
    }
    return true;
}

std::optional<std::function<void()>> RunLoop::takeNext() {
    std::lock_guard lock(mutex_);
    return popFront();
}

std::optional<std::function<void()>>
RunLoop::waitForNext(std::chrono::steady_clock::time_point until) {
    std::unique_lock lock(mutex_);
    posted_.wait_until(lock, until, [this] { return !blocks_.empty(); });
    return popFront();
}

std::optional<std::function<void()>> RunLoop::popFront() {
    if (blocks_.empty()) {
        return std::nullopt;
    }
    auto block = std::move(blocks_.front());
    blocks_.pop_front();
    return block;
}

void RunLoop::requireOwnThread() const {
    if (!isCurrentThread()) {
        std::fprintf(stderr, "orlix: a run loop can only be run on the thread that created it\n");
        std::abort();
    }
}

} // namespace orlix
