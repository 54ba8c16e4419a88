#pragma once

#include "Export/BitmapImageRep.h"
#include "Export/BoxReducer.h"
#include "Model/ImagePixelSize.h"

#include <memory>
#include <utility>

namespace orlix {

// What a format's decoder hands back before the resolution rule is applied: the upright bitmap
// and the resolution the file records for its axes, both 0 when it records none.
struct DecodedBitmap {
    DecodedBitmap(std::shared_ptr<BitmapImageRep> bitmap, double xDotsPerInch, double yDotsPerInch,
                  ImagePixelSize pixelSize, BoxReducer::Factors boxFactors = {})
        : bitmap(std::move(bitmap))
        , xDotsPerInch(xDotsPerInch)
        , yDotsPerInch(yDotsPerInch)
        , pixelSize(pixelSize)
        , boxFactors(boxFactors) {}

    std::shared_ptr<BitmapImageRep> bitmap;
    double xDotsPerInch = 0.0;
    double yDotsPerInch = 0.0;
    // The upright picture's own size, which the bitmap has unless it was decoded reduced.
    ImagePixelSize pixelSize;
    // The blocks of pixels each of the bitmap's pixels averages, when it was averaged down while
    // it was read.
    BoxReducer::Factors boxFactors;
};

} // namespace orlix
