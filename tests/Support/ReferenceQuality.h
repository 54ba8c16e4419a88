#pragma once

#include "Export/AreaFinder.h"
#include "Export/BitmapImageRep.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace orlix::testing {

// The automatic JPEG quality's analysis written as plainly as it can be, pixel by pixel and set by
// set: the yardstick that the faster analysis must match exactly.
class ReferenceQuality {
public:
    // The kept areas of a colour bitmap in the order they are found.
    static std::vector<PixelArea> areas(const BitmapImageRep& bitmap, AreaFinder::Config config);

    // The quality the analysis chooses for a colour bitmap: its resize to the target area of
    // 10,000 pixels, the share of that thumbnail in kept areas, and the quality that share gives.
    static int quality(const BitmapImageRep& bitmap);
};

} // namespace orlix::testing
