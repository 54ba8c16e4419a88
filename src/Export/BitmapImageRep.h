#pragma once

#include "Export/CoarseBitmapInfo.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace orlix {

// An 8-bit bitmap that owns its pixels: packed rows (no padding), top row first, samples of a
// pixel adjacent, alpha last and premultiplied. Colour bitmaps hold sRGB values.
class BitmapImageRep {
public:
    // The most pixels one bitmap may hold; larger images are refused as unreadable rather than
    // exhausting memory.
    static constexpr std::uint64_t maximumPixelCount = 250'000'000;

    // A zero-filled bitmap, or nullptr when either dimension is 0 or the size is over the limit.
    static std::shared_ptr<BitmapImageRep> make(std::uint32_t width, std::uint32_t height,
                                                CoarseBitmapInfo info);

    std::uint32_t pixelsWide() const { return width_; }
    std::uint32_t pixelsHigh() const { return height_; }
    CoarseBitmapInfo info() const { return info_; }
    CoarseBitmapFormat format() const { return info_.format; }
    int samplesPerPixel() const;
    bool hasAlpha() const;
    bool isGreyscale() const { return info_.colorspace == CoarseColorSpace::greyscale; }
    std::size_t bytesPerRow() const;
    std::size_t byteCount() const { return byteCount_; }

    std::uint8_t* data() { return pixels_.get(); }
    const std::uint8_t* data() const { return pixels_.get(); }
    std::uint8_t* row(std::uint32_t y) { return pixels_.get() + y * bytesPerRow(); }
    const std::uint8_t* row(std::uint32_t y) const { return pixels_.get() + y * bytesPerRow(); }

    // The same picture as premultiplied RGBA in sRGB (grey values are sRGB grey levels); nullptr
    // when there is no memory for it.
    std::shared_ptr<BitmapImageRep> redrawnAsRGBA() const;

    // The samples of one pixel, in sample order, into `samples` (room for four).
    void getPixel(std::uint32_t x, std::uint32_t y, unsigned* samples) const;

    // For the holder of the only reference to a bitmap, which reads it once, top first, and then
    // lets it go: gives the memory of rows `first` to `end` back to the system, whole pages, so
    // that what is made of them need not be held beside them. Those rows read as 0 afterwards,
    // which nobody else can see; while anyone else holds the bitmap, nothing happens.
    static void discardRows(const std::shared_ptr<const BitmapImageRep>& bitmap,
                            std::uint32_t first, std::uint32_t end);

private:
    BitmapImageRep(std::uint32_t width, std::uint32_t height, CoarseBitmapInfo info);

    std::uint32_t width_;
    std::uint32_t height_;
    struct FreePixels {
        std::size_t byteCount;
        void operator()(std::uint8_t* pixels) const noexcept;
    };

    CoarseBitmapInfo info_;
    std::size_t byteCount_;
    // Zeroed by the system page by page as it is first written, not all at once: a bitmap whose
    // rows never arrive (a file that ends after its header) costs next to no memory. Large ones
    // lie in huge pages (`LargeMemory`).
    std::unique_ptr<std::uint8_t[], FreePixels> pixels_;
};

} // namespace orlix
