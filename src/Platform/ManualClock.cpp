#include "Platform/ManualClock.h"

#include <algorithm>
#include <utility>

namespace orlix {

ManualClock::ManualClock(TimePoint start)
    : now_(start) {}

Clock::TimePoint ManualClock::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

void ManualClock::schedule(TimePoint deadline, std::function<void()> fire) {
    std::lock_guard lock(mutex_);
    pending_.emplace(deadline, std::move(fire));
}

void ManualClock::advance(Duration duration) {
    advanceTo(now() + duration);
}

void ManualClock::advanceTo(TimePoint target) {
    while (fireNextDueBy(target)) {
    }
    std::lock_guard lock(mutex_);
    now_ = std::max(now_, target);
}

bool ManualClock::fireNextDueBy(TimePoint target) {
    std::function<void()> fire;
    {
        std::lock_guard lock(mutex_);
        auto first = pending_.begin();
        if (first == pending_.end() || first->first > target) {
            return false;
        }
        now_ = std::max(now_, first->first);
        fire = std::move(first->second);
        pending_.erase(first);
    }
    fire();
    return true;
}

std::size_t ManualClock::pendingCount() const {
    std::lock_guard lock(mutex_);
    return pending_.size();
}

} // namespace orlix
