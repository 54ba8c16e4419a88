#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace orlix {

// How a PNG's image data is cut into rows, as its header describes it: one pass of rows, or the
// seven of an interlaced image, every row led by its filter byte.
class PNGRowLayout {
public:
    struct Pass {
        // In pixels.
        std::uint64_t width;
        // Without the filter byte.
        std::uint64_t rowBytes;
        std::uint64_t rows;
    };

    // Nothing for a header that is not 13 bytes or states no valid image, or for data whose size
    // would not fit 64 bits.
    static std::optional<PNGRowLayout> fromHeader(std::span<const std::uint8_t> ihdr);

    // The distance in bytes to the pixel a filter compares with: a whole pixel, at least a byte.
    std::size_t filterDistance() const { return filterDistance_; }
    // Passes without rows (those of a very small interlaced image) are left out.
    const std::vector<Pass>& passes() const { return passes_; }
    // The size of the filtered rows, filter bytes included.
    std::uint64_t rawSize() const { return rawSize_; }
    std::uint64_t pixelCount() const;

private:
    PNGRowLayout() = default;

    bool addPass(std::uint64_t width, std::uint64_t height, std::uint64_t bitsPerPixel);

    std::size_t filterDistance_ = 1;
    std::vector<Pass> passes_;
    std::uint64_t rawSize_ = 0;
};

} // namespace orlix
