#include "Export/BitmapResampler.h"
#include "Export/BitmapResize.h"
#include "Export/BoxReducer.h"
#include "Support/TestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orlix {
namespace {

using testing::TestImages;

// A smooth picture with some texture, as photos are: the full filter and the cheap path should
// agree closely on it.
std::array<std::uint8_t, 3> photoLike(std::uint32_t x, std::uint32_t y) {
    const auto wave = [](double value) { return std::uint8_t(127.5 + 127.5 * std::sin(value)); };
    const std::uint8_t grain = TestImages::noise(x, y)[0] % 16;
    return {std::uint8_t(std::min(255, wave(x / 97.0) + grain)), wave(y / 61.0 + 1.0),
            wave((x + y) / 143.0 + 2.0)};
}

struct Difference {
    double mean = 0.0;
    unsigned largest = 0;
};

Difference difference(const BitmapImageRep& first, const BitmapImageRep& second) {
    Difference result;
    for (std::size_t index = 0; index < first.byteCount(); ++index) {
        const auto delta = unsigned(std::abs(int(first.data()[index]) - int(second.data()[index])));
        result.mean += delta;
        result.largest = std::max(result.largest, delta);
    }
    result.mean /= double(first.byteCount());
    return result;
}

TEST(BoxReducerTests, BlocksAreAveragedAndEdgeBlocksOverWhatTheyHold) {
    auto source = BitmapImageRep::make(5, 3, CoarseBitmapInfo::greyGreyscale());
    for (std::uint32_t y = 0; y < 3; ++y) {
        for (std::uint32_t x = 0; x < 5; ++x) {
            source->row(y)[x] = std::uint8_t(10 * x + 100 * y);
        }
    }
    const auto reduced = BoxReducer::reduced(*source, 2, 2);
    ASSERT_TRUE(reduced);
    ASSERT_EQ(reduced->pixelsWide(), 3u);
    ASSERT_EQ(reduced->pixelsHigh(), 2u);
    EXPECT_EQ(reduced->row(0)[0], 55);  // (0 + 10 + 100 + 110) / 4
    EXPECT_EQ(reduced->row(0)[2], 90);  // (40 + 140) / 2
    EXPECT_EQ(reduced->row(1)[1], 225); // (220 + 230) / 2
    EXPECT_EQ(reduced->row(1)[2], 240);
    EXPECT_FALSE(BoxReducer::reduced(*source, 0, 1));

    EXPECT_EQ(BoxReducer::factorFor(5640, 356, 2), 7u);
    EXPECT_EQ(BoxReducer::factorFor(700, 356, 2), 1u);
    EXPECT_EQ(BoxReducer::factorFor(700, 0, 2), 1u);
}

TEST(BoxReducerTests, CheapReductionLooksLikeTheFullFilterAndKeepsItsPlace) {
    // Sizes that are no multiple of the blocks: a misplaced edge block would shift the picture.
    std::shared_ptr<const BitmapImageRep> source = TestImages::rgbaBitmap(2003, 1201, photoLike);
    const ImagePixelSize target{167, 100};
    const auto cheap = BitmapResize::reduced(source, target, 2);
    auto full = BitmapImageRep::make(target.width, target.height, source->info());
    ASSERT_TRUE(cheap && full);
    ASSERT_TRUE(BitmapResampler::draw(*source, *full, 0, 0, target.width, target.height));
    EXPECT_EQ(cheap->pixelsWide(), target.width);
    EXPECT_EQ(cheap->pixelsHigh(), target.height);
    const Difference apart = difference(*cheap, *full);
    EXPECT_LT(apart.mean, 1.0);
    EXPECT_LE(apart.largest, 8u);
}

TEST(BoxReducerTests, TransparencyStaysValidPremultipliedColour) {
    auto source = TestImages::rgbaBitmap(901, 900, TestImages::noise);
    for (std::uint32_t y = 0; y < 900; ++y) {
        std::uint8_t* pixel = source->row(y);
        for (std::uint32_t x = 0; x < 901; ++x, pixel += 4) {
            pixel[3] = std::uint8_t(x * 255 / 900);
            for (int s = 0; s < 3; ++s) {
                pixel[s] = std::uint8_t(pixel[s] * pixel[3] / 255);
            }
        }
    }
    const auto reduced = BitmapResize::reduced(source, {100, 100}, 2);
    ASSERT_TRUE(reduced);
    for (std::size_t index = 0; index < reduced->byteCount(); index += 4) {
        const std::uint8_t* pixel = reduced->data() + index;
        ASSERT_LE(std::max({pixel[0], pixel[1], pixel[2]}), pixel[3]);
    }
    EXPECT_LT(reduced->row(50)[3], 10) << "the transparent left edge stays on the left";
}

} // namespace
} // namespace orlix
