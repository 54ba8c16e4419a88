#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace orlix {

// Recompresses a PNG with Zopfli, losslessly: the pixels as a viewer decodes them (8-bit RGBA
// after palette and transparency) stay exactly as they were. Besides the row filters, the colour
// type, bit depth and palette may change: unused palette entries go, the palette is reordered and
// packed to fewer bits, or grey or true colour replaces it, whichever stores the same pixels in
// fewer bytes. Every other chunk is kept; a file whose chunks depend on the encoding (a background
// colour, a histogram, significant bits, or one this does not know that is unsafe to copy) keeps
// its encoding and gets only new filters.
class PNGRecompressor {
public:
    // The smaller PNG, or the input itself when nothing gains or the image is too large to be
    // worth it (rawSizeLimit). Nothing when the input is not a PNG this can read safely:
    // malformed chunks, an invalid header, image data that is truncated or inflates to anything
    // but the size the header implies, or rows that name a filter that does not exist.
    static std::optional<std::vector<std::uint8_t>> recompress(std::span<const std::uint8_t> png);

    // Image data larger than this is left as it is: Zopfli would take minutes on it.
    static constexpr std::uint64_t rawSizeLimit = 64u << 20;

    // Size of the filtered rows the header describes; nothing for an invalid header. Exposed for
    // the tests of the header checks.
    static std::optional<std::uint64_t> rawSizeFromHeader(std::span<const std::uint8_t> ihdr);
};

} // namespace orlix
