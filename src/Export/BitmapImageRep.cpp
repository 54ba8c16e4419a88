#include "Export/BitmapImageRep.h"

namespace orlix {

std::shared_ptr<BitmapImageRep> BitmapImageRep::make(std::uint32_t width, std::uint32_t height,
                                                     CoarseBitmapInfo info) {
    const std::uint64_t pixelCount = std::uint64_t{width} * height;
    if (pixelCount == 0 || pixelCount > maximumPixelCount) {
        return nullptr;
    }
    return std::shared_ptr<BitmapImageRep>(new BitmapImageRep(width, height, info));
}

BitmapImageRep::BitmapImageRep(std::uint32_t width, std::uint32_t height, CoarseBitmapInfo info)
    : width_(width)
    , height_(height)
    , info_(info)
    , pixels_(std::size_t{width} * height * orlix::samplesPerPixel(info.format)) {}

int BitmapImageRep::samplesPerPixel() const {
    return orlix::samplesPerPixel(info_.format);
}

bool BitmapImageRep::hasAlpha() const {
    return orlix::hasAlpha(info_.format);
}

std::size_t BitmapImageRep::bytesPerRow() const {
    return std::size_t{width_} * static_cast<std::size_t>(samplesPerPixel());
}

void BitmapImageRep::getPixel(std::uint32_t x, std::uint32_t y, unsigned* samples) const {
    const std::uint8_t* pixel =
        row(y) + std::size_t{x} * static_cast<std::size_t>(samplesPerPixel());
    for (int sample = 0; sample < samplesPerPixel(); ++sample) {
        samples[sample] = pixel[sample];
    }
}

} // namespace orlix
