#pragma once

#include "Export/Codec/DecodedBitmap.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>

namespace orlix {

// Decodes a complete JPEG, turned upright by its EXIF orientation, into grey or RGBA sRGB.
class JPEGDecoder {
public:
    // With `shortSideAtLeast` above 0 the picture may come out reduced, by the largest factor in
    // eighths that keeps its shorter side at least that long (never below an eighth).
    static std::optional<DecodedBitmap> decode(std::span<const std::uint8_t> bytes,
                                               std::uint32_t shortSideAtLeast = 0);
    // The same, reading the file only as far as the picture needs it: an eighth-scale picture of
    // a progressive file, for one, is complete long before its end.
    static std::optional<DecodedBitmap> decode(std::FILE* file, std::uint32_t shortSideAtLeast = 0);
    // The small picture of itself a file may carry for previews (its EXIF thumbnail), turned as
    // the file's orientation says, when it is there, decodes, has the picture's proportions and
    // a shorter side of `shortSideAtLeast` or more; its size is the whole picture's, upright.
    static std::optional<DecodedBitmap> embeddedThumbnail(std::FILE* file,
                                                          std::uint32_t shortSideAtLeast);
};

} // namespace orlix
