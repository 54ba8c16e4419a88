#include "Export/AreaFinder.h"
#include "Support/ReferenceQuality.h"
#include "Support/ReferenceResize.h"
#include "Support/TestImages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>

namespace orlix {
namespace {

using RGB = RGBPixelGetter::RGB;
using PixelLocation = AreaFinder::PixelLocation;

const AreaFinder::Config qualityConfig{200, std::sqrt(84.0)};

void paint(BitmapImageRep& bitmap, std::uint32_t x, std::uint32_t y, RGB colour) {
    std::uint8_t* pixel = bitmap.row(y) + std::size_t{x} * bitmap.samplesPerPixel();
    pixel[0] = colour.red;
    pixel[1] = colour.green;
    pixel[2] = colour.blue;
}

void paintRectangle(BitmapImageRep& bitmap, std::uint32_t left, std::uint32_t top,
                    std::uint32_t width, std::uint32_t height, RGB colour) {
    for (std::uint32_t y = top; y < top + height; ++y) {
        for (std::uint32_t x = left; x < left + width; ++x) {
            paint(bitmap, x, y, colour);
        }
    }
}

// Neighbouring pixels far apart in colour, so that the background forms no area of its own.
std::shared_ptr<BitmapImageRep> checkerboard(std::uint32_t width, std::uint32_t height,
                                             CoarseBitmapFormat format = CoarseBitmapFormat::rgb) {
    auto bitmap = BitmapImageRep::make(width, height, {format, CoarseColorSpace::sRGB});
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            paint(*bitmap, x, y, (x + y) % 2 == 0 ? RGB{0, 0, 0} : RGB{255, 255, 255});
        }
    }
    return bitmap;
}

AreaFinder foundAreas(std::shared_ptr<BitmapImageRep> bitmap,
                      AreaFinder::Config config = qualityConfig) {
    AreaFinder finder(config, *RGBPixelGetter::make(std::move(bitmap)));
    EXPECT_FALSE(finder.processed());
    finder.findAreas();
    EXPECT_TRUE(finder.processed());
    return finder;
}

AreaFinder::Area columns(std::size_t first, std::size_t last, std::size_t width,
                         std::size_t height) {
    AreaFinder::Area area(width, height);
    for (std::size_t x = first; x <= last; ++x) {
        for (std::size_t y = 0; y < height; ++y) {
            area.insert({x, y});
        }
    }
    return area;
}

TEST(AreaFinderTests, PixelGetterReadsStoredColourOfRGBBitmapsOnly) {
    EXPECT_FALSE(RGBPixelGetter::make(nullptr));
    EXPECT_FALSE(
        RGBPixelGetter::make(BitmapImageRep::make(2, 2, CoarseBitmapInfo::greyGreyscale())));
    EXPECT_FALSE(
        RGBPixelGetter::make(BitmapImageRep::make(2, 2, CoarseBitmapInfo::greyaGreyscale())));
    EXPECT_TRUE(RGBPixelGetter::make(
        BitmapImageRep::make(2, 2, {CoarseBitmapFormat::rgb, CoarseColorSpace::sRGB})));

    auto bitmap = BitmapImageRep::make(3, 2, CoarseBitmapInfo::rgbaSRGB());
    std::uint8_t* pixel = bitmap->row(1) + 2 * 4;
    pixel[0] = 10;
    pixel[1] = 20;
    pixel[2] = 30;
    pixel[3] = 40;
    const auto getter = RGBPixelGetter::make(bitmap);
    ASSERT_TRUE(getter);
    EXPECT_EQ(getter->rgb(2, 1), (RGB{10, 20, 30}));
    EXPECT_EQ(getter->rgb(0, 0), (RGB{0, 0, 0}));
    EXPECT_FALSE(getter->rgb(3, 1));
    EXPECT_FALSE(getter->rgb(2, 2));
}

TEST(AreaFinderTests, AnAreaCountsOnlyWhenLargerThanTheMinimum) {
    auto exactly200 = checkerboard(30, 30);
    paintRectangle(*exactly200, 2, 2, 20, 10, {100, 150, 200});
    EXPECT_TRUE(foundAreas(exactly200).areasFound().empty());

    auto with201 = checkerboard(30, 30, CoarseBitmapFormat::rgba);
    paintRectangle(*with201, 2, 2, 20, 10, {100, 150, 200});
    paint(*with201, 5, 12, {104, 146, 203});
    const AreaFinder finder = foundAreas(with201);
    ASSERT_EQ(finder.areasFound().size(), 1u);
    EXPECT_EQ(finder.areasFound()[0].size(), 201u);
    EXPECT_TRUE(finder.areasFound()[0].contains(PixelLocation{5, 12}));
}

TEST(AreaFinderTests, GradientAreasStayWithinToleranceOfTheirSeedAndMayOverlap) {
    // Red rises by 2 per column: neighbours are always close, the seed only for 4 columns on.
    auto gradient = BitmapImageRep::make(40, 50, {CoarseBitmapFormat::rgb, CoarseColorSpace::sRGB});
    for (std::uint32_t x = 0; x < 40; ++x) {
        paintRectangle(*gradient, x, 0, 1, 50, {static_cast<std::uint8_t>(2 * x), 0, 0});
    }
    const AreaFinder finder = foundAreas(gradient);
    ASSERT_GE(finder.areasFound().size(), 2u);
    EXPECT_EQ(finder.areasFound()[0], columns(0, 4, 40, 50));
    // Seeded at column 5, it grows back over columns 1 to 4, which the first area holds too.
    EXPECT_EQ(finder.areasFound()[1], columns(1, 9, 40, 50));
}

TEST(AreaFinderTests, AreaFollowsItsShapeDownAndBackUp) {
    auto bitmap = checkerboard(24, 24);
    const RGB colour{90, 90, 90};
    paintRectangle(*bitmap, 2, 2, 1, 20, colour);
    paintRectangle(*bitmap, 2, 21, 20, 1, colour);
    paintRectangle(*bitmap, 21, 2, 1, 20, colour);
    const AreaFinder finder = foundAreas(bitmap, {10, std::sqrt(84.0)});
    ASSERT_EQ(finder.areasFound().size(), 1u);
    EXPECT_EQ(finder.areasFound()[0].size(), 58u);
    EXPECT_TRUE(finder.areasFound()[0].contains(PixelLocation{21, 2}));
}

TEST(AreaFinderTests, AreasHoldOnlyPixelsOfTheirBitmapAndUniteWithoutCountingTwice) {
    AreaFinder::Area first(70, 3);
    EXPECT_TRUE(first.insert({69, 2}));
    EXPECT_FALSE(first.insert({69, 2}));
    EXPECT_FALSE(first.insert({70, 0})) << "outside the bitmap";
    EXPECT_FALSE(first.contains({70, 0}));
    EXPECT_TRUE(first.insert({0, 1}));
    AreaFinder::Area second(70, 3);
    second.insert({0, 1});
    second.insert({64, 0});
    first.formUnion(second);
    EXPECT_EQ(first.size(), 3u);
    EXPECT_TRUE(first.contains({64, 0}));
    EXPECT_NE(first, second);
}

// Patches of colours a few steps apart, some of them repeated, over grain: areas of every size,
// grown again from pixels of equal and of different colours, overlapping where patches touch.
std::shared_ptr<BitmapImageRep> patches(std::uint32_t width, std::uint32_t height) {
    auto bitmap = BitmapImageRep::make(width, height, CoarseBitmapInfo::rgbaSRGB());
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const auto patch = testing::TestImages::noise(x / 9 + y / 13, y / 7);
            const auto grain = testing::TestImages::noise(x, y);
            const auto step = [&](int channel) {
                return std::uint8_t(patch[channel] % 4 * 6 + grain[channel] % 3 + 100);
            };
            paint(*bitmap, x, y, {step(0), step(1), step(2)});
        }
    }
    return bitmap;
}

// The pass keeps what it knows of each pixel instead of sets of locations, and passes over seeds
// that would grow an area already dropped: it must still find exactly the areas, in the order,
// that growing every seed plainly finds.
TEST(AreaFinderTests, FindsTheAreasOfThePlainFloodFill) {
    const auto photo = testing::TestImages::realPhoto();
    ASSERT_TRUE(photo);
    const auto thumbnail = [](const BitmapImageRep& bitmap) {
        return testing::ReferenceResize::resized(bitmap, ResizeConfig::targetArea(10000));
    };
    const struct {
        const char* name;
        std::shared_ptr<BitmapImageRep> bitmap;
        AreaFinder::Config config;
    } cases[] = {
        {"photo", thumbnail(*photo), qualityConfig},
        {"photo crop", thumbnail(*testing::TestImages::crop(*photo, 1536, 496, 2096, 1400)),
         qualityConfig},
        {"photo crop, small areas",
         thumbnail(*testing::TestImages::crop(*photo, 0, 0, 900, 700)),
         {20, 5.0}},
        {"patches", patches(130, 77), qualityConfig},
        {"patches, wide tolerance", patches(120, 80), {40, 20.0}},
        {"patches, tolerance of a whole distance", patches(90, 60), {3, 9.0}},
        {"patches, every pixel its own area", patches(30, 20), {0, 0.5}},
        {"patches, nothing close", patches(30, 20), {0, -1.0}},
        {"everything close", patches(50, 40), {100, 1e9}},
    };
    for (const auto& example : cases) {
        const AreaFinder finder = foundAreas(example.bitmap, example.config);
        EXPECT_EQ(finder.areasFound(),
                  testing::ReferenceQuality::areas(*example.bitmap, example.config))
            << example.name;
    }
}

} // namespace
} // namespace orlix
