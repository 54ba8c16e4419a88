#pragma once

#include "Platform/RunLoop.h"

#include <chrono>
#include <functional>
#include <thread>

namespace orlix::testing {

// Runs the main loop until `condition` holds, for work that other threads finish in their own
// time; true when it did within a generous bound. Never a measure of speed.
inline bool eventually(RunLoop& loop, const std::function<bool()>& condition,
                       std::chrono::seconds bound = std::chrono::seconds(30)) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        loop.runUntilIdle();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

} // namespace orlix::testing
