#include "Export/BoxReducer.h"

#include <algorithm>
#include <vector>

namespace orlix {

namespace {

// Adds one source row into the sums of its output row, block by block.
void addRow(const std::uint8_t* row, std::uint32_t width, int samples, std::uint32_t factorX,
            std::uint64_t* sums) {
    for (std::uint32_t x = 0; x < width; ++x, row += samples) {
        std::uint64_t* sum = sums + std::size_t{x / factorX} * samples;
        for (int s = 0; s < samples; ++s) {
            sum[s] += row[s];
        }
    }
}

} // namespace

std::uint32_t BoxReducer::factorFor(std::uint32_t sourceLength, std::uint32_t targetLength,
                                    std::uint32_t multiple) {
    const std::uint64_t least = std::uint64_t{targetLength} * multiple;
    return least == 0 ? 1 : std::max<std::uint32_t>(1, std::uint32_t(sourceLength / least));
}

std::shared_ptr<BitmapImageRep> BoxReducer::reduced(const BitmapImageRep& source,
                                                    std::uint32_t factorX, std::uint32_t factorY) {
    if (factorX == 0 || factorY == 0) {
        return nullptr;
    }
    const std::uint32_t width = (source.pixelsWide() - 1) / factorX + 1;
    const std::uint32_t height = (source.pixelsHigh() - 1) / factorY + 1;
    auto result = BitmapImageRep::make(width, height, source.info());
    if (!result) {
        return nullptr;
    }
    const int samples = source.samplesPerPixel();
    std::vector<std::uint64_t> sums(std::size_t{width} * samples);
    for (std::uint32_t y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), std::uint64_t{0});
        const std::uint32_t top = y * factorY;
        const std::uint32_t rows = std::min(factorY, source.pixelsHigh() - top);
        for (std::uint32_t row = top; row < top + rows; ++row) {
            addRow(source.row(row), source.pixelsWide(), samples, factorX, sums.data());
        }
        std::uint8_t* out = result->row(y);
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t columns = std::min(factorX, source.pixelsWide() - x * factorX);
            const std::uint64_t count = std::uint64_t{columns} * rows;
            for (int s = 0; s < samples; ++s, ++out) {
                *out = std::uint8_t((sums[std::size_t{x} * samples + s] + count / 2) / count);
            }
        }
    }
    return result;
}

} // namespace orlix
