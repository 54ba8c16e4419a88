#pragma once

#include "WatchedValue.h"

namespace orlix::testing {

// Tells a test when the object holding it has been destroyed, on whichever thread that happens.
class SignalOnDestruction {
public:
    explicit SignalOnDestruction(WatchedValue<bool>& destroyed)
        : destroyed_(destroyed) {}
    ~SignalOnDestruction() { destroyed_.set(true); }
    SignalOnDestruction(const SignalOnDestruction&) = delete;
    SignalOnDestruction& operator=(const SignalOnDestruction&) = delete;

private:
    WatchedValue<bool>& destroyed_;
};

} // namespace orlix::testing
