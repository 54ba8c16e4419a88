#include "Export/UnpremultipliedPixels.h"

#include <gtest/gtest.h>

namespace orlix {
namespace {

std::shared_ptr<BitmapImageRep> bitmapOf(std::uint32_t width, std::uint32_t height,
                                         CoarseBitmapInfo info,
                                         const std::vector<std::uint8_t>& samples) {
    auto bitmap = BitmapImageRep::make(width, height, info);
    std::copy(samples.begin(), samples.end(), bitmap->data());
    return bitmap;
}

// The samples extracted into a buffer of the bitmap's size, and the result.
std::pair<CancellableResult, std::vector<std::uint8_t>>
extracted(const BitmapImageRep& bitmap, const UnpremultipliedPixels::ShouldContinue& goOn) {
    std::vector<std::uint8_t> samples(bitmap.byteCount());
    auto result = UnpremultipliedPixels::extract(bitmap, samples, goOn);
    return {std::move(result), std::move(samples)};
}

TEST(UnpremultipliedPixelsTests, ColourIsDividedByAlphaAndRoundedUp) {
    const auto rgba = bitmapOf(4, 1, CoarseBitmapInfo::rgbaSRGB(),
                               {
                                   100, 50, 0, 200, // half-bright colours under 200 of alpha
                                   10, 20, 30, 0,   // fully transparent keeps its colour
                                   255, 0, 0, 255,  // opaque is unchanged
                                   200, 10, 0, 100, // a colour above its alpha is held at 255
                               });
    const auto [result, pixels] = extracted(*rgba, nullptr);
    ASSERT_EQ(result.kind(), CancellableResult::Kind::success);
    EXPECT_EQ(pixels, (std::vector<std::uint8_t>{128, 64, 0, 200, 10, 20, 30, 0, 255, 0, 0, 255,
                                                 255, 26, 0, 100}));

    const auto greya = bitmapOf(2, 1, CoarseBitmapInfo::greyaGreyscale(), {64, 128, 7, 255});
    EXPECT_EQ(extracted(*greya, nullptr).second, (std::vector<std::uint8_t>{128, 128, 7, 255}));
}

TEST(UnpremultipliedPixelsTests, ContinuationIsAskedBeforeTheFirstRowAndBetweenRows) {
    const auto grey = bitmapOf(2, 3, CoarseBitmapInfo::greyGreyscale(), {1, 2, 3, 4, 5, 6});
    int asked = 0;
    const auto all = extracted(*grey, [&] { return ++asked > 0; });
    EXPECT_EQ(asked, 3) << "before the first row and after every row but the last";
    EXPECT_EQ(all.second, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));

    asked = 0;
    EXPECT_EQ(extracted(*grey, [&] { return ++asked < 2; }).first.kind(),
              CancellableResult::Kind::cancelled);

    // A buffer of another size is never written past its end.
    std::vector<std::uint8_t> tooShort(5);
    EXPECT_EQ(UnpremultipliedPixels::extract(*grey, tooShort, nullptr).kind(),
              CancellableResult::Kind::failure);

    // Whole rows from a row on, never past the last.
    std::vector<std::uint8_t> lastTwo(4);
    EXPECT_EQ(UnpremultipliedPixels::extract(*grey, lastTwo, nullptr, 1).kind(),
              CancellableResult::Kind::success);
    EXPECT_EQ(lastTwo, (std::vector<std::uint8_t>{3, 4, 5, 6}));
    EXPECT_EQ(UnpremultipliedPixels::extract(*grey, lastTwo, nullptr, 2).kind(),
              CancellableResult::Kind::failure);
}

} // namespace
} // namespace orlix
