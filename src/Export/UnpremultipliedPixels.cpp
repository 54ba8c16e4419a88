#include "Export/UnpremultipliedPixels.h"

#include <algorithm>
#include <cmath>

namespace orlix {

std::uint8_t UnpremultipliedPixels::unpremultiplied(unsigned colour, unsigned alpha) {
    // A fully transparent pixel keeps its colour. A colour above its alpha is not valid
    // premultiplied data; it is held to white rather than wrapped around.
    const float divisor = alpha < 1 ? 255.0f : float(alpha);
    const float value = std::ceil(float(colour) * 255.0f / divisor);
    return std::uint8_t(std::min(value, 255.0f));
}

CancellableResult UnpremultipliedPixels::extract(const BitmapImageRep& bitmap,
                                                 std::span<std::uint8_t> into,
                                                 const ShouldContinue& shouldContinue,
                                                 std::uint32_t firstRow) {
    const auto keepGoing = [&] { return !shouldContinue || shouldContinue(); };
    const std::size_t samples = std::size_t(bitmap.samplesPerPixel());
    const std::uint32_t width = bitmap.pixelsWide();
    const std::size_t rowBytes = samples * width;
    if (rowBytes == 0 || into.size() % rowBytes != 0 || firstRow > bitmap.pixelsHigh() ||
        into.size() / rowBytes > bitmap.pixelsHigh() - firstRow) {
        return CancellableResult::failure();
    }
    const auto height = static_cast<std::uint32_t>(into.size() / rowBytes);
    if (height == 0) {
        return CancellableResult::success();
    }
    if (!keepGoing()) {
        return CancellableResult::cancelled();
    }
    const bool alpha = bitmap.hasAlpha();
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* input = bitmap.row(firstRow + y);
        std::uint8_t* output = into.data() + std::size_t(y) * rowBytes;
        for (std::uint32_t x = 0; x < width; ++x, input += samples, output += samples) {
            std::copy_n(input, samples, output);
            if (alpha) {
                const unsigned a = input[samples - 1];
                for (std::size_t s = 0; s + 1 < samples; ++s) {
                    output[s] = unpremultiplied(input[s], a);
                }
            }
        }
        if (y + 1 < height && !keepGoing()) {
            return CancellableResult::cancelled();
        }
    }
    return CancellableResult::success();
}

} // namespace orlix
