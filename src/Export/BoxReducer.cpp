#include "Export/BoxReducer.h"

#include <algorithm>

namespace orlix {

std::uint32_t BoxReducer::factorFor(std::uint32_t sourceLength, std::uint32_t targetLength,
                                    std::uint32_t multiple) {
    const std::uint64_t least = std::uint64_t{targetLength} * multiple;
    return least == 0 ? 1 : std::max<std::uint32_t>(1, std::uint32_t(sourceLength / least));
}

std::shared_ptr<BitmapImageRep> BoxReducer::reduced(const BitmapImageRep& source,
                                                    std::uint32_t factorX, std::uint32_t factorY) {
    BoxReducer reducer({source.pixelsWide(), source.pixelsHigh()}, source.info(),
                       {factorX, factorY});
    if (!reducer.result()) {
        return nullptr;
    }
    for (std::uint32_t y = 0; y < source.pixelsHigh(); ++y) {
        reducer.add(source.row(y));
    }
    return reducer.result();
}

BoxReducer::BoxReducer(ImagePixelSize sourceSize, CoarseBitmapInfo info, Factors factors)
    : sourceSize_(sourceSize)
    , factors_(factors)
    , samples_(samplesPerPixel(info.format)) {
    if (factors.x == 0 || factors.y == 0 || sourceSize.width == 0 || sourceSize.height == 0) {
        return;
    }
    result_ = BitmapImageRep::make((sourceSize.width - 1) / factors.x + 1,
                                   (sourceSize.height - 1) / factors.y + 1, info);
    if (result_) {
        sums_.resize(std::size_t{result_->pixelsWide()} * samples_);
    }
}

// Adds the row into the sums of its block row, block by block.
void BoxReducer::add(const std::uint8_t* row) {
    if (!result_ || sourceRow_ == sourceSize_.height) {
        return;
    }
    for (std::uint32_t x = 0; x < sourceSize_.width; ++x, row += samples_) {
        std::uint64_t* sum = sums_.data() + std::size_t{x / factors_.x} * samples_;
        for (int s = 0; s < samples_; ++s) {
            sum[s] += row[s];
        }
    }
    ++sourceRow_;
    if (++rowsInBlock_ == factors_.y || sourceRow_ == sourceSize_.height) {
        writeBlockRow();
    }
}

void BoxReducer::writeBlockRow() {
    std::uint8_t* out = result_->row((sourceRow_ - 1) / factors_.y);
    for (std::uint32_t x = 0; x < result_->pixelsWide(); ++x) {
        const std::uint32_t columns = std::min(factors_.x, sourceSize_.width - x * factors_.x);
        const std::uint64_t count = std::uint64_t{columns} * rowsInBlock_;
        for (int s = 0; s < samples_; ++s, ++out) {
            *out = std::uint8_t((sums_[std::size_t{x} * samples_ + s] + count / 2) / count);
        }
    }
    std::fill(sums_.begin(), sums_.end(), std::uint64_t{0});
    rowsInBlock_ = 0;
}

} // namespace orlix
