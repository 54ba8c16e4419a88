#pragma once

#include "Export/PixelDensity.h"
#include "Model/Size.h"

#include <optional>

namespace orlix {

// What the export keeps of its input beside the bitmap: it describes the input, not the output.
struct Metadata {
    PixelDensity pixelDensity;
    bool greyscale = false;
    bool hasAlpha = false;
    // The input's size in points; absent for an image without pixels of its own.
    std::optional<Size> sourceSize;
};

} // namespace orlix
