#pragma once

#include "Export/BitmapImageRep.h"
#include "Export/CancellableResult.h"

#include <cstdint>
#include <functional>
#include <span>

namespace orlix {

// The samples of a bitmap with the colour no longer multiplied by alpha, as quantisers expect.
class UnpremultipliedPixels {
public:
    // Asked before the first row and after every row but the last; false cancels.
    using ShouldContinue = std::function<bool()>;

    // Writes the samples, as many per pixel as the bitmap has, of whole rows from `firstRow` on,
    // top row first, into `into`, whose size gives the number of rows (a failure when it is no
    // whole number of rows within the bitmap). Written straight where they are needed, they exist
    // only once besides the bitmap; a cancel leaves `into` partly written.
    static CancellableResult extract(const BitmapImageRep& bitmap, std::span<std::uint8_t> into,
                                     const ShouldContinue& shouldContinue,
                                     std::uint32_t firstRow = 0);

private:
    static std::uint8_t unpremultiplied(unsigned colour, unsigned alpha);
};

} // namespace orlix
