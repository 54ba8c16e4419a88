#include "Export/RGBPixelGetter.h"

namespace orlix {

RGBPixelGetter::RGBPixelGetter(std::shared_ptr<const BitmapImageRep> bitmapImageRep)
    : bitmapImageRep_(std::move(bitmapImageRep)) {}

std::optional<RGBPixelGetter>
RGBPixelGetter::make(std::shared_ptr<const BitmapImageRep> bitmapImageRep) {
    if (bitmapImageRep == nullptr || bitmapImageRep->isGreyscale() ||
        (bitmapImageRep->format() != CoarseBitmapFormat::rgb &&
         bitmapImageRep->format() != CoarseBitmapFormat::rgba)) {
        return std::nullopt;
    }
    return RGBPixelGetter(std::move(bitmapImageRep));
}

std::optional<RGBPixelGetter::RGB> RGBPixelGetter::rgb(std::size_t x, std::size_t y) const {
    if (x >= bitmapImageRep_->pixelsWide() || y >= bitmapImageRep_->pixelsHigh()) {
        return std::nullopt;
    }
    unsigned samples[4] = {0, 0, 0, 0};
    bitmapImageRep_->getPixel(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                              samples);
    return RGB{static_cast<std::uint8_t>(samples[0]), static_cast<std::uint8_t>(samples[1]),
               static_cast<std::uint8_t>(samples[2])};
}

} // namespace orlix
