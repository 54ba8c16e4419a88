#pragma once

#include "Platform/Clock.h"

#include <cstddef>
#include <map>
#include <mutex>

namespace orlix {

// A clock for tests: time stands still until advanced, and advancing fires every callback that
// falls due, in deadline order, on the advancing thread.
class ManualClock final : public Clock {
public:
    explicit ManualClock(TimePoint start = TimePoint{});

    TimePoint now() const override;
    void schedule(TimePoint deadline, std::function<void()> fire) override;

    void advance(Duration duration);
    // While a callback runs, now() is its deadline, so callbacks it schedules within the advance
    // fire in the same advance. Time never moves backwards.
    void advanceTo(TimePoint target);
    std::size_t pendingCount() const;

private:
    bool fireNextDueBy(TimePoint target);

    mutable std::mutex mutex_;
    TimePoint now_;
    std::multimap<TimePoint, std::function<void()>> pending_;
};

} // namespace orlix
