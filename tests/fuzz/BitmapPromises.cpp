#include "BitmapPromises.h"

#include "Require.h"

namespace orlix::fuzzing {

void requireSoundBitmap(const BitmapImageRep& bitmap) {
    const std::uint64_t pixels = std::uint64_t{bitmap.pixelsWide()} * bitmap.pixelsHigh();
    require(pixels > 0 && pixels <= BitmapImageRep::maximumPixelCount, "size within the limit");
    const auto samples = static_cast<std::size_t>(bitmap.samplesPerPixel());
    require(bitmap.bytesPerRow() == bitmap.pixelsWide() * samples, "packed rows");
    require(bitmap.byteCount() == bitmap.bytesPerRow() * bitmap.pixelsHigh(), "every row present");
    if (!bitmap.hasAlpha()) {
        return;
    }
    const std::uint8_t* pixel = bitmap.data();
    for (std::uint64_t index = 0; index < pixels; ++index, pixel += samples) {
        const std::uint8_t alpha = pixel[samples - 1];
        for (std::size_t sample = 0; sample + 1 < samples; ++sample) {
            require(pixel[sample] <= alpha, "premultiplied alpha");
        }
    }
}

} // namespace orlix::fuzzing
