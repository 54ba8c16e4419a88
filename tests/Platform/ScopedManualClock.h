#pragma once

#include "Platform/Clock.h"
#include "Platform/ManualClock.h"

#include <memory>

namespace orlix::testing {

// Makes a manual clock the shared clock for the scope, then puts the previous one back.
class ScopedManualClock {
public:
    ScopedManualClock()
        : previous_(Clock::shared()) {
        Clock::setShared(clock_);
    }
    ~ScopedManualClock() { Clock::setShared(previous_); }
    ScopedManualClock(const ScopedManualClock&) = delete;
    ScopedManualClock& operator=(const ScopedManualClock&) = delete;

    ManualClock* operator->() const { return clock_.get(); }
    const std::shared_ptr<ManualClock>& clock() const { return clock_; }

private:
    std::shared_ptr<ManualClock> clock_ = std::make_shared<ManualClock>();
    std::shared_ptr<Clock> previous_;
};

} // namespace orlix::testing
