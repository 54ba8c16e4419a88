#pragma once

#include "Export/BitmapImageRep.h"

#include <filesystem>
#include <memory>

namespace orlix::bench {

// Moving bitmaps in and out of the plain formats every peer tool reads.
class BenchImage {
public:
    // The bitmap as binary PPM (alpha dropped, grey widened to RGB).
    static bool writePPM(const BitmapImageRep& bitmap, const std::filesystem::path& path);
    // The bitmap with its transparency as PAM, colour no longer premultiplied, grey widened to RGB;
    // false for a bitmap that is opaque all over, which the PPM describes whole.
    static bool writePAMIfTransparent(const BitmapImageRep& bitmap,
                                      const std::filesystem::path& path);
    // The exact 2 x 2 box average of the even part of the bitmap: the reference a 50 % reduction is
    // scored against.
    static std::shared_ptr<BitmapImageRep> halvedByBoxFilter(const BitmapImageRep& bitmap);
};

} // namespace orlix::bench
