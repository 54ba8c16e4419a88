#include "Export/JPEGQualityCalculator.h"
#include "Support/TestImages.h"

#include <gtest/gtest.h>

namespace orlix {
namespace {

using testing::TestImages;

// A 100 x 100 bitmap (already the thumbnail's size) of noise with a flat block of `flatPixels`
// pixels in the top rows.
std::uint8_t qualityWithFlatBlock(std::uint32_t flatPixels) {
    const auto bitmap = TestImages::rgbaBitmap(100, 100, [&](std::uint32_t x, std::uint32_t y) {
        return y * 100 + x < flatPixels ? std::array<std::uint8_t, 3>{10, 200, 30}
                                        : TestImages::noise(x, y);
    });
    return JPEGQualityCalculator(bitmap, Metadata{}).automaticJPEGQuality();
}

TEST(JPEGQualityCalculatorTests, FlatShareSetsTheQualityBetween60And75) {
    EXPECT_EQ(qualityWithFlatBlock(0), 60);
    EXPECT_EQ(qualityWithFlatBlock(300), 60) << "exactly 3 %";
    EXPECT_EQ(qualityWithFlatBlock(301), 61);
    EXPECT_EQ(qualityWithFlatBlock(900), 68);
    EXPECT_EQ(qualityWithFlatBlock(1500), 75);
    EXPECT_EQ(qualityWithFlatBlock(10000), 75);
}

TEST(JPEGQualityCalculatorTests, AreasOfTwoHundredPixelsOrFewerAreNotCounted) {
    // Five separate flat blocks of `size` pixels each make up 3 % or more of the picture only
    // when they count.
    const auto quality = [](std::uint32_t size) {
        const auto bitmap = TestImages::rgbaBitmap(100, 100, [&](std::uint32_t x, std::uint32_t y) {
            const std::uint32_t block = y / 20;
            const bool flat = y % 20 < 3 && (y % 20) * 100 + x < size;
            return flat ? std::array<std::uint8_t, 3>{std::uint8_t(40 * block), 0, 0}
                        : TestImages::noise(x, y);
        });
        return JPEGQualityCalculator(bitmap, Metadata{}).automaticJPEGQuality();
    };
    EXPECT_EQ(quality(200), 60);
    EXPECT_EQ(quality(201), 69) << "5 x 201 pixels make 10.05 %";
}

TEST(JPEGQualityCalculatorTests, GreyscaleIsFixedAndSmallImagesAreEnlargedFirst) {
    Metadata grey;
    grey.greyscale = true;
    EXPECT_EQ(JPEGQualityCalculator(TestImages::rgbaBitmap(5, 5, TestImages::noise), grey)
                  .automaticJPEGQuality(),
              85);
    // A flat 50 x 50 picture covers the whole thumbnail once enlarged.
    const auto flat = TestImages::rgbaBitmap(50, 50, [](auto, auto) {
        return std::array<std::uint8_t, 3>{90, 90, 200};
    });
    EXPECT_EQ(JPEGQualityCalculator(flat, Metadata{}).automaticJPEGQuality(), 75);
}

} // namespace
} // namespace orlix
