#pragma once

#include "Export/BitmapImageRep.h"
#include "Model/ImagePixelSize.h"

#include <memory>

namespace orlix {

// What a format's decoder hands back before the resolution rule is applied: the upright bitmap
// and the resolution the file records for its axes, both 0 when it records none.
struct DecodedBitmap {
    std::shared_ptr<BitmapImageRep> bitmap;
    double xDotsPerInch = 0.0;
    double yDotsPerInch = 0.0;
    // The upright picture's own size, which the bitmap has unless it was decoded reduced.
    ImagePixelSize pixelSize;
};

} // namespace orlix
