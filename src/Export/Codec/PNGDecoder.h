#pragma once

#include "Export/BoxReducer.h"
#include "Export/Codec/DecodedBitmap.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>

namespace orlix {

// Decodes a complete PNG of any colour type and bit depth into grey, grey and alpha, or RGBA
// sRGB, alpha premultiplied.
class PNGDecoder {
public:
    static std::optional<DecodedBitmap> decode(std::span<const std::uint8_t> bytes);
    // The same, read from the file as the library asks for it. With `boxFactors`, a picture that
    // is not interlaced is averaged down while it is read, in the blocks they give for its size,
    // exactly as BoxReducer averages the whole decoded picture, which is never held whole.
    static std::optional<DecodedBitmap> decode(std::FILE* file,
                                               const BoxReducer::FactorsFor& boxFactors = {});
};

} // namespace orlix
