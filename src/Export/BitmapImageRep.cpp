#include "Export/BitmapImageRep.h"

#include "Platform/LargeMemory.h"
#include "Platform/MemoryPages.h"

#include <new>

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
    , byteCount_(std::size_t{width} * height * orlix::samplesPerPixel(info.format))
    , pixels_(static_cast<std::uint8_t*>(LargeMemory::allocate(byteCount_)),
              FreePixels{byteCount_}) {
    if (!pixels_) {
        throw std::bad_alloc();
    }
}

void BitmapImageRep::FreePixels::operator()(std::uint8_t* pixels) const noexcept {
    LargeMemory::release(pixels, byteCount);
}

void BitmapImageRep::discardRows(const std::shared_ptr<const BitmapImageRep>& bitmap,
                                 std::uint32_t first, std::uint32_t end) {
    if (bitmap.use_count() == 1) {
        MemoryPages::release(bitmap->row(first), bitmap->row(end));
    }
}

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

std::shared_ptr<BitmapImageRep> BitmapImageRep::redrawnAsRGBA() const {
    auto rgba = make(width_, height_, CoarseBitmapInfo::rgbaSRGB());
    if (!rgba) {
        return nullptr;
    }
    unsigned samples[4];
    std::uint8_t* output = rgba->data();
    for (std::uint32_t y = 0; y < height_; ++y) {
        for (std::uint32_t x = 0; x < width_; ++x, output += 4) {
            getPixel(x, y, samples);
            const bool grey = isGreyscale();
            output[0] = std::uint8_t(samples[0]);
            output[1] = std::uint8_t(grey ? samples[0] : samples[1]);
            output[2] = std::uint8_t(grey ? samples[0] : samples[2]);
            output[3] = hasAlpha() ? std::uint8_t(samples[samplesPerPixel() - 1]) : 255;
        }
    }
    return rgba;
}

} // namespace orlix
