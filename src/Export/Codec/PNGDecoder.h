#pragma once

#include "Export/Codec/DecodedBitmap.h"

#include <cstdint>
#include <optional>
#include <span>

namespace orlix {

// Decodes a complete PNG of any colour type and bit depth into grey, grey and alpha, or RGBA
// sRGB, alpha premultiplied.
class PNGDecoder {
public:
    static std::optional<DecodedBitmap> decode(std::span<const std::uint8_t> bytes);
};

} // namespace orlix
