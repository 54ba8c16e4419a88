#include "Export/BitmapImageRepWithMetadata.h"
#include "Export/BitmapResize.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestImages.h"

#include <gtest/gtest.h>

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
