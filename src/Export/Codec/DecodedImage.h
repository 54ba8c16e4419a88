#pragma once

#include "Export/BitmapImageRep.h"
#include "Export/BoxReducer.h"
#include "Model/ImagePixelSize.h"

#include <memory>

namespace orlix {

// A file's picture upright, as it is meant to be seen, with the size it is meant to have on paper
// or on screen.
struct DecodedImage {
    std::shared_ptr<BitmapImageRep> bitmap;
    // The picture's own size in pixels, which the bitmap has unless it was decoded reduced.
    ImagePixelSize pixelSize;
    // The blocks of pixels each of the bitmap's pixels averages, when it was averaged down while
    // it was read.
    BoxReducer::Factors boxFactors;
    // The size in points: pixels divided by the density of the same axis.
    double pointWidth = 0.0;
    double pointHeight = 0.0;
    // Pixels per point (dots per inch / 72); 1 on both axes when the file records no usable
    // resolution.
    double xDensity = 1.0;
    double yDensity = 1.0;
};

} // namespace orlix
