#pragma once

#include "Model/ImagePixelSize.h"
#include "Model/OutputResolution.h"

#include <optional>

namespace orlix {

// What an activity row shows about an output; each field absent until known.
struct ExportImageInfo {
    std::optional<ImagePixelSize> sourcePixelSize;
    std::optional<ImagePixelSize> resultPixelSize;
    std::optional<OutputResolution> resolution;

    bool operator==(const ExportImageInfo&) const = default;
};

} // namespace orlix
