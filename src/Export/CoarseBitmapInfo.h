#pragma once

#include "Export/CoarseBitmapFormat.h"
#include "Export/CoarseColorSpace.h"

namespace orlix {

struct CoarseBitmapInfo {
    CoarseBitmapFormat format;
    CoarseColorSpace colorspace;

    static constexpr CoarseBitmapInfo rgbaSRGB() {
        return {CoarseBitmapFormat::rgba, CoarseColorSpace::sRGB};
    }
    static constexpr CoarseBitmapInfo greyGreyscale() {
        return {CoarseBitmapFormat::grey, CoarseColorSpace::greyscale};
    }
    static constexpr CoarseBitmapInfo greyaGreyscale() {
        return {CoarseBitmapFormat::greya, CoarseColorSpace::greyscale};
    }

    bool operator==(const CoarseBitmapInfo&) const = default;
};

} // namespace orlix
