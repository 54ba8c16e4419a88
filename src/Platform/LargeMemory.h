#pragma once

#include <cstddef>

namespace orlix {

// Zeroed memory for the few large buffers an image passes through (its pixels, a codec's
// coefficients), taken straight from the system in huge pages where it offers them, and kept for
// the next such buffer once given back. Every page a process touches for the first time costs a
// fault, and under virtualisation memory the system gave back may have to be fetched anew: tens of
// microseconds a page, tens of milliseconds for a photo. Huge pages take a fault each two
// megabytes, so a block ends on one unless its last part is short, and memory kept is already
// there. Smaller requests come from the ordinary heap. Safe to use from any thread.
class LargeMemory {
public:
    // From this size on a request is served in huge pages.
    static constexpr std::size_t hugePageSize = std::size_t{2} << 20;
    // At most this much given-back memory is kept for reuse.
    static constexpr std::size_t keptLimit = std::size_t{256} << 20;

    // `bytes` zeroed bytes, or nullptr when there is no memory for them.
    static void* allocate(std::size_t bytes) noexcept;
    // Takes back what `allocate` gave for the same size, to keep or to give to the system.
    static void release(void* memory, std::size_t bytes) noexcept;
    // Gives every kept block back to the system: when the work is done, a program that stays
    // open should not hold memory it no longer uses.
    static void trim() noexcept;
};

} // namespace orlix
