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

    // Writes the samples, as many per pixel as the bitmap has, top row first, into `into`, which
    // must hold exactly that many bytes (a failure otherwise). Written straight where they are
    // needed, they exist only once besides the bitmap; a cancel leaves `into` partly written.
    static CancellableResult extract(const BitmapImageRep& bitmap, std::span<std::uint8_t> into,
                                     const ShouldContinue& shouldContinue);

private:
    static std::uint8_t unpremultiplied(unsigned colour, unsigned alpha);
};

} // namespace orlix
