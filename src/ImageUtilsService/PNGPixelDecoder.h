#pragma once

#include "ImageUtilsService/PNGRowLayout.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace orlix {

// What a PNG of at most 8 bits a sample shows, pixel by pixel: 8-bit RGBA after the palette and
// the transparency chunk have been applied, as a viewer decodes it. Two encodings that give the
// same pixels here are the same picture.
class PNGPixelDecoder {
public:
    // Each pixel as 0xRRGGBBAA, in the order of the rows (pass after pass when interlaced).
    // Nothing for 16-bit samples, whose 8-bit reading would lose their low byte, and for a palette
    // index outside the palette, which has no colour to keep.
    static std::optional<std::vector<std::uint32_t>>
    decode(std::span<const std::uint8_t> ihdr, const PNGRowLayout& layout,
           const std::vector<std::uint8_t>& rows, std::span<const std::uint8_t> palette,
           std::span<const std::uint8_t> transparency);

    static std::uint32_t pack(unsigned red, unsigned green, unsigned blue, unsigned alpha) {
        return red << 24 | green << 16 | blue << 8 | alpha;
    }
};

} // namespace orlix
