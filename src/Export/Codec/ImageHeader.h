#pragma once

#include "Model/ImagePixelSize.h"

#include <filesystem>
#include <optional>

namespace orlix {

// What a PNG or JPEG file's header says of its picture, read without decoding it: enough to know
// how much memory the picture will take before any of it is allocated.
class ImageHeader {
public:
    // The picture's size in pixels as its header states it (a JPEG's before its EXIF orientation,
    // which only swaps the sides); nothing for a file that is neither, or whose header is cut
    // short or damaged.
    static std::optional<ImagePixelSize> pixelSize(const std::filesystem::path& path);
};

} // namespace orlix
