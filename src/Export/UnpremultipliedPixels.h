#pragma once

#include "Export/BitmapImageRep.h"
#include "Export/CancellableResult.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace orlix {

// The samples of a bitmap with the colour no longer multiplied by alpha, as quantisers expect.
class UnpremultipliedPixels {
public:
    // Asked before the first row and after every row but the last; false cancels.
    using ShouldContinue = std::function<bool()>;

    struct Extraction {
        CancellableResult result;
        // Samples per pixel as in the bitmap, top row first; empty unless the result is success.
        std::vector<std::uint8_t> pixels;
    };

    static Extraction extract(const BitmapImageRep& bitmap, const ShouldContinue& shouldContinue);

private:
    static std::uint8_t unpremultiplied(unsigned colour, unsigned alpha);
};

} // namespace orlix
