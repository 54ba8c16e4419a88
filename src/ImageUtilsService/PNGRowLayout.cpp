#include "ImageUtilsService/PNGRowLayout.h"

#include <array>

namespace orlix {

namespace {

constexpr std::uint32_t maxDimension = 0x7FFFFFFF;

std::uint32_t loadBigEndian(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
}

// Samples a pixel of the colour type has, or 0 when the depth is not one the type allows.
unsigned channelsFor(unsigned colourType, unsigned depth) {
    const bool lowDepth = depth == 1 || depth == 2 || depth == 4 || depth == 8;
    switch (colourType) {
    case 0:
        return lowDepth || depth == 16 ? 1 : 0;
    case 3:
        return lowDepth ? 1 : 0;
    case 2:
    case 4:
    case 6:
        return depth == 8 || depth == 16 ? (colourType == 2 ? 3 : colourType == 4 ? 2 : 4) : 0;
    default:
        return 0;
    }
}

} // namespace

std::optional<PNGRowLayout> PNGRowLayout::fromHeader(std::span<const std::uint8_t> ihdr) {
    if (ihdr.size() != 13) {
        return std::nullopt;
    }
    const std::uint64_t width = loadBigEndian(ihdr.data());
    const std::uint64_t height = loadBigEndian(ihdr.data() + 4);
    const unsigned depth = ihdr[8];
    const unsigned channels = channelsFor(ihdr[9], depth);
    if (width == 0 || height == 0 || width > maxDimension || height > maxDimension ||
        channels == 0 || ihdr[10] != 0 || ihdr[11] != 0 || ihdr[12] > 1) {
        return std::nullopt;
    }
    PNGRowLayout layout;
    const std::uint64_t bitsPerPixel = std::uint64_t{channels} * depth;
    layout.filterDistance_ = static_cast<std::size_t>(std::max<std::uint64_t>(1, bitsPerPixel / 8));
    if (ihdr[12] == 0) {
        return layout.addPass(width, height, bitsPerPixel) ? std::optional(layout) : std::nullopt;
    }
    struct Start {
        std::uint64_t x, y, dx, dy;
    };
    constexpr std::array<Start, 7> adam7 = {{{0, 0, 8, 8},
                                             {4, 0, 8, 8},
                                             {0, 4, 4, 8},
                                             {2, 0, 4, 4},
                                             {0, 2, 2, 4},
                                             {1, 0, 2, 2},
                                             {0, 1, 1, 2}}};
    for (const Start& pass : adam7) {
        const std::uint64_t passWidth =
            width > pass.x ? (width - pass.x + pass.dx - 1) / pass.dx : 0;
        const std::uint64_t passHeight =
            height > pass.y ? (height - pass.y + pass.dy - 1) / pass.dy : 0;
        if (!layout.addPass(passWidth, passHeight, bitsPerPixel)) {
            return std::nullopt;
        }
    }
    return layout;
}

std::uint64_t PNGRowLayout::pixelCount() const {
    std::uint64_t count = 0;
    for (const Pass& pass : passes_) {
        count += pass.width * pass.rows;
    }
    return count;
}

// Widths below 2^31 and at most 64 bits per pixel keep a row far from overflowing; only the
// product with the height needs checking.
bool PNGRowLayout::addPass(std::uint64_t width, std::uint64_t height, std::uint64_t bitsPerPixel) {
    if (width == 0 || height == 0) {
        return true;
    }
    const std::uint64_t rowBytes = (width * bitsPerPixel + 7) / 8;
    std::uint64_t size = 0;
    if (__builtin_mul_overflow(rowBytes + 1, height, &size) ||
        __builtin_add_overflow(rawSize_, size, &rawSize_)) {
        return false;
    }
    passes_.push_back({width, rowBytes, height});
    return true;
}

} // namespace orlix
