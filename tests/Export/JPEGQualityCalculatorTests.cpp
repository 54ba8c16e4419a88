#include "Export/JPEGQualityCalculator.h"
#include "Support/ReferenceQuality.h"
#include "Support/TestImages.h"

#include <gtest/gtest.h>

#include <cmath>

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

// The quality is the one the resize to the target area gives, with no cheaper reduction before
// it: a single row of the thumbnail can move it by a step. Checked against the plain resize and
// flood fill on pictures of every kind and on crops of a real photo, whose first two the box
// average moved from 67 and 72 to 69 and 73.
TEST(JPEGQualityCalculatorTests, QualityIsTheOneOfTheResizeToTheTargetArea) {
    using Colour = std::array<std::uint8_t, 3>;
    const auto grain = [](std::uint32_t x, std::uint32_t y) {
        return std::uint8_t(TestImages::noise(x, y)[1] % 12);
    };
    const auto photo = [&](std::uint32_t x, std::uint32_t y) {
        return Colour{std::uint8_t(120 + 100 * std::sin(x / 300.0) + grain(x, y)),
                      std::uint8_t(90 + y / 20), std::uint8_t(200 - y / 10 + grain(y, x))};
    };
    // Blocks of random colour larger than the reduction, which stay busy in the thumbnail.
    const auto busy = [](std::uint32_t x, std::uint32_t y) {
        return TestImages::noise(x / 25, y / 25);
    };
    const auto sky = [&](std::uint32_t x, std::uint32_t y) {
        return y < 150 ? Colour{std::uint8_t(90 + y / 40), 150, 230} : busy(x, y);
    };
    const auto interface = [&](std::uint32_t x, std::uint32_t y) {
        const bool sidebar = x < 120;
        const bool toolbar = y < 30;
        return sidebar ? Colour{236, 236, 236} : toolbar ? Colour{60, 64, 72} : busy(x, y);
    };
    const auto discs = [&](std::uint32_t x, std::uint32_t y) {
        const double dx = double(x % 800) - 400;
        const double dy = double(y % 800) - 400;
        const bool inside = (x / 800 + y / 800) % 2 == 0 && dx * dx + dy * dy < 180.0 * 180.0;
        return inside ? Colour{200, std::uint8_t(40 + grain(x, y)), 30} : busy(x, y);
    };
    const auto real = TestImages::realPhoto();
    ASSERT_TRUE(real);
    const struct {
        const char* name;
        std::shared_ptr<const BitmapImageRep> bitmap;
    } pictures[] = {
        {"photo, crop at 1536,496", TestImages::crop(*real, 1536, 496, 2096, 1400)},
        {"photo, crop at 1024,0", TestImages::crop(*real, 1024, 0, 2100, 1400)},
        {"photo, whole", real},
        {"photo, crop at 0,1000", TestImages::crop(*real, 0, 1000, 2560, 1400)},
        {"photo, crop at 1800,0", TestImages::crop(*real, 1800, 0, 1840, 2400)},
        {"photo, crop at 500,700", TestImages::crop(*real, 500, 700, 3000, 1600)},
        {"photo, crop at 2500,1500", TestImages::crop(*real, 2500, 1500, 1140, 900)},
        {"photo, crop at 100,100", TestImages::crop(*real, 100, 100, 640, 480)},
        {"generated photo", TestImages::rgbaBitmap(2400, 1600, photo)},
        {"generated sky", TestImages::rgbaBitmap(2000, 1500, sky)},
        {"generated interface", TestImages::rgbaBitmap(1600, 1000, interface)},
        {"generated discs", TestImages::rgbaBitmap(2401, 1601, discs)},
    };
    for (const auto& picture : pictures) {
        EXPECT_EQ(int(JPEGQualityCalculator(picture.bitmap, Metadata{}).automaticJPEGQuality()),
                  testing::ReferenceQuality::quality(*picture.bitmap))
            << picture.name;
    }
}

} // namespace
} // namespace orlix
