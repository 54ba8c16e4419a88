#pragma once

#include <cstddef>

namespace orlix {

// Zeroed memory for the few large buffers an image passes through (its pixels, a codec's
// coefficients), taken straight from the system in whole huge pages where the system offers them.
// Every page a buffer touches for the first time costs the system a fault, and faults are dear
// (under virtualisation tens of microseconds each): a picture of tens of megabytes takes
// thousands of them in small pages, and a handful in huge ones. Smaller requests come from the
// ordinary heap. Pages are still only taken as they are first written.
class LargeMemory {
public:
    // From this size on a request is served in huge pages.
    static constexpr std::size_t hugePageSize = std::size_t{2} << 20;

    // `bytes` zeroed bytes, or nullptr when there is no memory for them.
    static void* allocate(std::size_t bytes) noexcept;
    // Gives back what `allocate` gave for the same size.
    static void release(void* memory, std::size_t bytes) noexcept;
};

} // namespace orlix
