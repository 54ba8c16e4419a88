#pragma once

#include "Export/BitmapImageRep.h"
#include "Model/ResizeConfig.h"

#include <memory>
#include <optional>

namespace orlix::testing {

// The bitmap layer's resize written as plainly as it can be, one sample at a time in the order the
// float arithmetic follows: the yardstick that a faster resize must match byte for byte.
class ReferenceResize {
public:
    // The canvas of the resize's size with the whole source drawn into its centred rectangle;
    // nullptr when there is no size.
    static std::shared_ptr<BitmapImageRep> resized(const BitmapImageRep& source,
                                                   const ResizeConfig& resize,
                                                   std::optional<double> multiplier = std::nullopt);

    // Draws `source` into the rectangle (x, y, width, height) of `canvas`, top-left origin; false
    // when an axis has no weights.
    static bool draw(const BitmapImageRep& source, BitmapImageRep& canvas, double x, double y,
                     double width, double height);
};

} // namespace orlix::testing
