#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace orlix::testing {

// Work done in a child process (a fork of the test) that ends killed by SIGKILL, as the
// out-of-memory killer or `kill -9` would end the program. The work must not use gtest's checks;
// the test looks at what it left behind.
class KilledChild {
public:
    // Runs `work`, which kills its own process at a point of its choosing; fails when the child
    // ended in any other way.
    static ::testing::AssertionResult run(const std::function<void()>& work);

    // Runs `work`, which goes on until it is killed, and kills it `delay` after it started.
    static ::testing::AssertionResult runFor(std::chrono::milliseconds delay,
                                             const std::function<void()>& work);
};

} // namespace orlix::testing
