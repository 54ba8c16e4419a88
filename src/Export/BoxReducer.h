#pragma once

#include "Export/BitmapImageRep.h"

#include <cstdint>
#include <memory>

namespace orlix {

// Shrinks a bitmap by whole factors, each output pixel the plain average of a block of source
// pixels. A box filter is cheap and, on premultiplied samples, exact as far as it goes; it prepares
// a large reduction so that the high-quality filter afterwards reads only a few taps.
class BoxReducer {
public:
    // The blocks are `factorX` by `factorY` pixels; those at the right and bottom edges hold what
    // is left and are averaged over it. The result has the source's layout, and is nullptr when a
    // factor is 0 or there is no memory for it.
    static std::shared_ptr<BitmapImageRep> reduced(const BitmapImageRep& source,
                                                   std::uint32_t factorX, std::uint32_t factorY);

    // The largest whole factor that keeps `sourceLength` at least `multiple` times `targetLength`;
    // 1 when none does.
    static std::uint32_t factorFor(std::uint32_t sourceLength, std::uint32_t targetLength,
                                   std::uint32_t multiple);
};

} // namespace orlix
