#pragma once

#include <cstdio>
#include <cstdlib>

namespace orlix::fuzzing {

// A promise of the code under test that an input broke: reported as a crash, so that the fuzzer
// keeps the input.
inline void require(bool condition, const char* promise) {
    if (!condition) {
        std::fprintf(stderr, "broken promise: %s\n", promise);
        std::abort();
    }
}

} // namespace orlix::fuzzing
