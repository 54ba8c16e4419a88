#pragma once

#include "Export/Codec/DecodedBitmap.h"

#include <cstdint>
#include <optional>
#include <span>

namespace orlix {

// Decodes a complete JPEG, turned upright by its EXIF orientation, into grey or RGBA sRGB.
class JPEGDecoder {
public:
    static std::optional<DecodedBitmap> decode(std::span<const std::uint8_t> bytes);
};

} // namespace orlix
