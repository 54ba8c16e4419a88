#pragma once

#include "ImageUtilsService/PNGEncoding.h"

#include <cstdint>
#include <span>
#include <vector>

namespace orlix {

// The other encodings that store exactly the same pixels: a palette of only the colours used,
// ordered in a few ways that suit the row filters and packed to the fewest bits it allows, grey
// at the fewest bits its values allow, and grey with alpha, RGB or RGBA, each with a transparent
// key colour instead of an alpha channel when one describes the transparency exactly.
class PNGColourRewriter {
public:
    // Which colour models an encoding may use: an ICC profile is either for grey or for colour.
    struct Models {
        bool grey = true;
        bool colour = true;
    };

    // `pixels` as PNGPixelDecoder gives them, of an image with the header `ihdr`.
    static std::vector<PNGEncoding> alternatives(std::span<const std::uint8_t> ihdr,
                                                 const std::vector<std::uint32_t>& pixels,
                                                 Models models);

    // Larger images keep their encoding: their pixels alone would take four bytes each, and the
    // encodings to compare several times the image data again.
    static constexpr std::uint64_t maxPixels = 1u << 25;

    // Images up to this many pixels also try the encodings of two to four bytes a pixel when a
    // palette or grey is possible: there the palette's own size can outweigh the bytes it saves.
    static constexpr std::size_t smallImagePixels = 1u << 18;
};

} // namespace orlix
