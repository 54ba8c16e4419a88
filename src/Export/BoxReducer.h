#pragma once

#include "Export/BitmapImageRep.h"
#include "Model/ImagePixelSize.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace orlix {

// Shrinks a bitmap by whole factors, each output pixel the plain average of a block of source
// pixels. A box filter is cheap and, on premultiplied samples, exact as far as it goes; it prepares
// a large reduction so that the high-quality filter afterwards reads only a few taps. The blocks
// are `x` by `y` pixels; those at the right and bottom edges hold what is left and are averaged
// over it.
//
// The source may also come a row at a time, top first, as a decoder hands its rows over: the
// result is the same, and the whole source never needs to be in memory.
class BoxReducer {
public:
    struct Factors {
        std::uint32_t x = 1;
        std::uint32_t y = 1;
        bool operator==(const Factors&) const = default;
    };
    // The factors for a source of the given size.
    using FactorsFor = std::function<Factors(ImagePixelSize)>;

    // The result has the source's layout, and is nullptr when a factor is 0 or there is no memory
    // for it.
    static std::shared_ptr<BitmapImageRep> reduced(const BitmapImageRep& source,
                                                   std::uint32_t factorX, std::uint32_t factorY);

    // The largest whole factor that keeps `sourceLength` at least `multiple` times `targetLength`;
    // 1 when none does.
    static std::uint32_t factorFor(std::uint32_t sourceLength, std::uint32_t targetLength,
                                   std::uint32_t multiple);

    // For a source of `sourceSize` in the layout `info`; without a result when a factor is 0 or
    // there is no memory for it.
    BoxReducer(ImagePixelSize sourceSize, CoarseBitmapInfo info, Factors factors);
    // The next source row, `info`'s layout and the source's width.
    void add(const std::uint8_t* row);
    // Complete once every source row has been added.
    const std::shared_ptr<BitmapImageRep>& result() const { return result_; }

private:
    void writeBlockRow();

    ImagePixelSize sourceSize_;
    Factors factors_;
    int samples_;
    std::shared_ptr<BitmapImageRep> result_;
    std::vector<std::uint64_t> sums_;
    std::uint32_t sourceRow_ = 0;
    std::uint32_t rowsInBlock_ = 0;
};

} // namespace orlix
