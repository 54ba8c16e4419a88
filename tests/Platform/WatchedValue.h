#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace orlix::testing {

// Long enough never to expire on a loaded machine when the awaited thing does happen.
inline constexpr std::chrono::milliseconds kGenerousTimeout{60000};
// How long to watch for something that must not happen.
inline constexpr std::chrono::milliseconds kBriefWait{30};

// A value shared between threads that a test can wait on instead of sleeping.
template <typename T> class WatchedValue {
public:
    explicit WatchedValue(T initial = T{})
        : value_(std::move(initial)) {}

    // Notifies under the lock, so a waiter that returns and destroys the value never races with
    // the notifying thread.
    template <typename Change> void update(Change&& change) {
        std::lock_guard lock(mutex_);
        change(value_);
        changed_.notify_all();
    }
    void set(T value) {
        update([&value](T& current) { current = std::move(value); });
    }
    T get() const {
        std::lock_guard lock(mutex_);
        return value_;
    }
    // Whether `condition` held for the value before the timeout.
    template <typename Condition>
    bool waitUntil(Condition&& condition,
                   std::chrono::milliseconds timeout = kGenerousTimeout) const {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return condition(value_); });
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    T value_;
};

} // namespace orlix::testing
