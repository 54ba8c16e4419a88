#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orlix {

// Zopfli in zlib format, several streams at once. Zopfli itself works through its input in master
// blocks one after the other; the same blocks compressed on several threads give the same kind of
// stream (a few bytes longer) in a fraction of the time, which is what makes a multi-megapixel
// image take seconds rather than a minute.
class ZopfliCompressor {
public:
    // One zlib stream for each input, in order; the parts of all of them share the threads.
    static std::vector<std::vector<std::uint8_t>>
    compress(const std::vector<const std::vector<std::uint8_t>*>& inputs);

    // Zopfli iterations for `size` bytes of input.
    static int iterationsFor(std::size_t size);
};

} // namespace orlix
