#include "Export/BitmapImageRepWithMetadata.h"
#include "Export/BitmapResize.h"
#include "Support/ReferenceResize.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>

namespace orlix {
namespace {

using testing::TestImages;

TEST(BitmapResizeTests, GeometryRaisesZeroToOneAndDrawsTrimsAtTheCoveringSize) {
    const auto percentOne = BitmapResize::geometry({50, 50}, ResizeConfig::percentage({1}), {});
    ASSERT_TRUE(percentOne);
    EXPECT_EQ(percentOne->canvas, (ImagePixelSize{1, 1}));

    const auto trim = BitmapResize::geometry({400, 200}, ResizeConfig::trim(100, 100), {});
    ASSERT_TRUE(trim);
    EXPECT_EQ(trim->canvas, (ImagePixelSize{100, 100}));
    EXPECT_EQ(trim->draw, (ImagePixelSize{200, 100}));

    const auto scaled = BitmapResize::geometry({900, 600}, ResizeConfig::none(), 2.0 / 3.0);
    EXPECT_EQ(scaled->canvas, (ImagePixelSize{600, 400}));
    EXPECT_FALSE(BitmapResize::geometry({0, 0}, ResizeConfig::fitToWidth(10), {}));
}

TEST(BitmapResizeTests, NoResizeWithoutMultiplierIsTheSameBitmap) {
    std::shared_ptr<const BitmapImageRep> source = TestImages::rgbaBitmap(3, 3, TestImages::noise);
    EXPECT_EQ(BitmapResize::resized(source, ResizeConfig::none(), std::nullopt), source);
}

TEST(BitmapResizeTests, SameSizeOutputOfAnOddBitmapKeepsEveryPixel) {
    // Centring by the integer half of an odd size would shift the picture by half a pixel.
    std::shared_ptr<const BitmapImageRep> source = TestImages::rgbaBitmap(7, 5, TestImages::noise);
    const auto same = BitmapResize::resized(source, ResizeConfig::percentage({100}), {});
    ASSERT_TRUE(same);
    EXPECT_TRUE(std::equal(source->data(), source->data() + source->byteCount(), same->data()));
}

TEST(BitmapResizeTests, TrimCutsTheCentreOfTheCoveringDrawing) {
    // Left quarter red, middle half green, right quarter blue: the centred square is green, with
    // the filter reaching across the colour edges only at its sides.
    std::shared_ptr<const BitmapImageRep> source =
        TestImages::rgbaBitmap(400, 200, [](std::uint32_t x, std::uint32_t) {
            return x < 100   ? std::array<std::uint8_t, 3>{255, 0, 0}
                   : x < 300 ? std::array<std::uint8_t, 3>{0, 255, 0}
                             : std::array<std::uint8_t, 3>{0, 0, 255};
        });
    const auto square = BitmapResize::resized(source, ResizeConfig::trim(100, 100), {});
    ASSERT_TRUE(square);
    ASSERT_EQ(square->pixelsWide(), 100u);
    ASSERT_EQ(square->pixelsHigh(), 100u);
    unsigned samples[4];
    for (const std::uint32_t x : {5u, 50u, 94u}) {
        square->getPixel(x, 50, samples);
        EXPECT_EQ(samples[1], 255u) << x;
        EXPECT_LE(samples[0] + samples[2], 2u) << x;
        EXPECT_EQ(samples[3], 255u) << x;
    }
}

// Smooth shapes under grain in every sample, so that every tap of the filter counts; with alpha,
// an opacity that sweeps across the picture, and colour kept valid premultiplied.
std::shared_ptr<const BitmapImageRep> generated(std::uint32_t width, std::uint32_t height,
                                                CoarseBitmapFormat format) {
    auto bitmap = BitmapImageRep::make(
        width, height,
        {format, format == CoarseBitmapFormat::grey || format == CoarseBitmapFormat::greya
                     ? CoarseColorSpace::greyscale
                     : CoarseColorSpace::sRGB});
    const int samples = bitmap->samplesPerPixel();
    for (std::uint32_t y = 0; y < height; ++y) {
        std::uint8_t* pixel = bitmap->row(y);
        for (std::uint32_t x = 0; x < width; ++x, pixel += samples) {
            const auto grain = TestImages::noise(x, y);
            const int alpha = bitmap->hasAlpha() ? int(255 * (x + y) / (width + height - 1)) : 255;
            for (int s = 0; s < samples; ++s) {
                const double smooth = 128 + 100 * std::sin((x + 37.0 * s) / 53.0 + y / 71.0);
                const int value = std::clamp(int(smooth) + grain[s % 3] % 40 - 20, 0, 255);
                pixel[s] = std::uint8_t(value * alpha / 255);
            }
            if (bitmap->hasAlpha()) {
                pixel[samples - 1] = std::uint8_t(alpha);
            }
        }
    }
    return bitmap;
}

// The resize reads many taps a sample, on four samples at once and on several threads: every byte
// must still be the one the plain loops give, whichever axis is filtered first, on generated
// pictures of every layout and on crops of a real photo.
TEST(BitmapResizeTests, ResizeIsByteForByteThePlainFilter) {
    using Format = CoarseBitmapFormat;
    const auto area = ResizeConfig::targetArea(10000);
    const auto photo = TestImages::realPhoto();
    ASSERT_TRUE(photo);
    const struct {
        const char* name;
        std::shared_ptr<const BitmapImageRep> source;
        ResizeConfig resize;
        std::optional<double> multiplier;
    } cases[] = {
        {"quality thumbnail of a large picture", generated(1999, 1333, Format::rgba), area, {}},
        {"wide", generated(3000, 160, Format::rgba), area, {}},
        {"tall", generated(160, 3000, Format::rgba), area, {}},
        {"enlarged", generated(50, 50, Format::rgba), area, {}},
        {"uneven reduction",
         generated(1201, 799, Format::rgba),
         ResizeConfig::percentage({37}),
         {}},
        {"trim, half-covered edge pixels",
         generated(401, 201, Format::rgba),
         ResizeConfig::trim(101, 99),
         {}},
        {"three samples", generated(700, 500, Format::rgb), ResizeConfig::fitMax(333, 333), {}},
        {"grey", generated(1280, 960, Format::grey), ResizeConfig::percentage({50}), {}},
        {"grey and alpha", generated(640, 480, Format::greya), ResizeConfig::fitToWidth(211), {}},
        {"resolution multiplier", generated(1000, 1000, Format::rgba),
         ResizeConfig::fitMax(300, 300), 2.0},
        {"photo, crop at 1536,496", TestImages::crop(*photo, 1536, 496, 2096, 1400), area, {}},
        {"photo, crop at 1024,0", TestImages::crop(*photo, 1024, 0, 2100, 1400), area, {}},
        {"photo, whole", photo, area, {}},
        {"photo, odd crop", TestImages::crop(*photo, 3, 5, 1023, 677), area, {}},
        {"photo, narrow crop", TestImages::crop(*photo, 900, 0, 301, 2400), area, {}},
        {"photo, halved",
         TestImages::crop(*photo, 2000, 1000, 640, 427),
         ResizeConfig::percentage({50}),
         {}},
        {"photo, fitted",
         TestImages::crop(*photo, 7, 0, 2401, 1601),
         ResizeConfig::fitMax(1280, 1280),
         {}},
        // Mild rescales, which filter along x first, four rows at a time: a tap added out of
        // order shows in a few bytes only.
        {"photo, 97 %",
         TestImages::crop(*photo, 0, 0, 683, 1024),
         ResizeConfig::percentage({97}),
         {}},
        {"photo, enlarged by half",
         TestImages::crop(*photo, 700, 1600, 1024, 683),
         ResizeConfig::percentage({150}),
         {}},
    };
    for (const auto& example : cases) {
        const auto fast = BitmapResize::resized(example.source, example.resize, example.multiplier);
        const auto plain =
            testing::ReferenceResize::resized(*example.source, example.resize, example.multiplier);
        ASSERT_TRUE(fast && plain) << example.name;
        ASSERT_EQ(fast->pixelsWide(), plain->pixelsWide()) << example.name;
        ASSERT_EQ(fast->pixelsHigh(), plain->pixelsHigh()) << example.name;
        const auto differing =
            std::inner_product(fast->data(), fast->data() + fast->byteCount(), plain->data(),
                               std::size_t{0}, std::plus<>(), std::not_equal_to<>());
        EXPECT_EQ(differing, 0u) << example.name;
    }
}

class CreateAndResizeTests : public ::testing::Test {
protected:
    Url jpeg(std::uint32_t width, std::uint32_t height, double density = 1.0) {
        const auto path = folder.path() / "source.jpg";
        TestImages::writeJPEG(path, width, height, TestImages::gradient, density);
        return Url::fileUrl(path);
    }

    testing::TemporaryDirectory folder;
};

TEST_F(CreateAndResizeTests, LoadNotesDensityAndPointSize) {
    const auto image = BitmapImageRepWithMetadata::load(jpeg(200, 100, 2.0));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->metadata().pixelDensity, (PixelDensity{2.0, 2.0}));
    EXPECT_EQ(image->metadata().sourceSize, (Size{100, 50}));
    EXPECT_FALSE(image->metadata().greyscale);
    EXPECT_TRUE(image->metadata().hasAlpha) << "colour images are always redrawn as RGBA";
    EXPECT_EQ(image->sourcePixelSize(), (ImagePixelSize{200, 100}));
}

TEST_F(CreateAndResizeTests, LargerThanSourceIsDecidedByArea) {
    const auto square = jpeg(100, 100);
    const auto larger = [&](const ResizeConfig& resize) {
        const auto result = BitmapImageRepWithMetadata::createAndResize(square, resize, {}, false);
        return result ? std::optional<CreateAndResizeError>{} : result.error();
    };
    EXPECT_EQ(
        larger(ResizeConfig::percentage({101})),
        CreateAndResizeError::resultSizeLargerThanSourceSize(ImagePixelSize{100, 100}, {101, 101}));
    // The covering draw size of a trim counts, not its canvas: 300 x 300 > 100 x 100.
    EXPECT_EQ(larger(ResizeConfig::trim(50, 300))->resultSize, (ImagePixelSize{50, 300}));
    // Wider than the source but not more pixels.
    EXPECT_FALSE(larger(ResizeConfig::fitToWidth(100)));
    EXPECT_FALSE(larger(ResizeConfig::percentage({100})));

    const auto allowed = BitmapImageRepWithMetadata::createAndResize(
        square, ResizeConfig::percentage({150}), {}, true);
    ASSERT_TRUE(allowed);
    EXPECT_EQ((*allowed)->bitmapImageRep()->pixelsWide(), 150u);
    EXPECT_TRUE((*allowed)->isLargerThanSource());
    EXPECT_EQ((*allowed)->metadata().sourceSize, (Size{100, 100})) << "metadata is the input's";
}

TEST_F(CreateAndResizeTests, UnreadableInputCannotBeCreated) {
    const auto path = folder.path() / "broken.jpg";
    TestImages::writeBytes(path, {0xFF, 0xD8, 0xFF, 0xE0, 0x00});
    const auto result = BitmapImageRepWithMetadata::createAndResize(
        Url::fileUrl(path), ResizeConfig::none(), {}, false);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, CreateAndResizeError::Kind::couldNotCreate);
    EXPECT_FALSE(BitmapImageRepWithMetadata::load(Url::fileUrl(folder.path() / "missing.png")));
}

} // namespace
} // namespace orlix
