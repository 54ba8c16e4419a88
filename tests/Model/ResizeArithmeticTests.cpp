#include "Model/ImagePixelSize.h"
#include "Model/ResizeConfig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace orlix {
namespace {

std::optional<ImagePixelSize> pixels(std::uint32_t width, std::uint32_t height) {
    return ImagePixelSize{width, height};
}

TEST(ImagePixelSizeTests, RoundedConstructorRoundsHalvesAwayFromZeroWithin32Bits) {
    EXPECT_EQ(ImagePixelSize::rounded(2.5, 0.49), pixels(3, 0));
    EXPECT_EQ(ImagePixelSize::rounded(1.5, 2.4999), pixels(2, 2));
    EXPECT_EQ(ImagePixelSize::rounded(-0.4, 1), pixels(0, 1));
    EXPECT_EQ(ImagePixelSize::rounded(-0.5, 1), std::nullopt);
    EXPECT_EQ(ImagePixelSize::rounded(4294967295.4, 1), pixels(4294967295u, 1));
    EXPECT_EQ(ImagePixelSize::rounded(4294967295.5, 1), std::nullopt);
    EXPECT_EQ(ImagePixelSize::rounded(std::nan(""), 1), std::nullopt);
    EXPECT_EQ(ImagePixelSize::rounded(1, std::numeric_limits<double>::infinity()), std::nullopt);
}

TEST(ImagePixelSizeTests, IntegerConstructorRejectsNegativeAndOversizedValues) {
    EXPECT_EQ(ImagePixelSize::fromIntegers(0, 4294967295), pixels(0, 4294967295u));
    EXPECT_EQ(ImagePixelSize::fromIntegers(-1, 1), std::nullopt);
    EXPECT_EQ(ImagePixelSize::fromIntegers(1, 4294967296), std::nullopt);
}

TEST(ImagePixelSizeTests, OrderIsByAreaAlone) {
    const ImagePixelSize wide{20, 10};
    const ImagePixelSize tall{10, 20};
    EXPECT_FALSE(wide < tall);
    EXPECT_FALSE(wide > tall);
    EXPECT_FALSE(wide == tall);
    EXPECT_TRUE(wide <= tall);
    EXPECT_TRUE((ImagePixelSize{10, 19} < tall));
    // The area is a 64-bit product: 32-bit wrap-around would make this one tiny.
    EXPECT_TRUE((ImagePixelSize{65536, 65536} > ImagePixelSize{1, 65535}));
}

TEST(ResizeArithmeticTests, PercentageMultipliesByTheFactorComputedFirst) {
    const auto half = ResizeConfig::percentage({50});
    EXPECT_EQ(half.targetSize(3, 5), (Size{1.5, 2.5}));
    EXPECT_EQ(half.targetPixelSize(3, 5), pixels(1, 2));
    EXPECT_EQ(ResizeConfig::percentage({33}).targetPixelSize(100, 100), pixels(33, 33));
    // 100 * 0.29 is 28.999999999999996; (100 * 29) / 100 would give 29.
    EXPECT_EQ(ResizeConfig::percentage({29}).targetPixelSize(100, 100), pixels(28, 28));
    EXPECT_EQ(ResizeConfig::percentage({0}).targetPixelSize(100, 100), pixels(0, 0));
}

TEST(ResizeArithmeticTests, FixedAndFittedSizes) {
    EXPECT_EQ(ResizeConfig::trim(820, 462).targetPixelSize(1, 1), pixels(820, 462));
    EXPECT_EQ(ResizeConfig::fitToWidth(100).targetSize(400, 300), (Size{100, 75}));
    const auto byHeight = ResizeConfig::fitToHeight(100).targetSize(400, 300);
    EXPECT_DOUBLE_EQ(byHeight.width, 400.0 / 300.0 * 100.0);
    EXPECT_EQ(ResizeConfig::fitToHeight(100).targetPixelSize(400, 300), pixels(133, 100));
    EXPECT_EQ(ResizeConfig::none().targetPixelSize(640, 480, 0.5), pixels(320, 240));
    // Truncation, not rounding: 1000 * 2/3 is 666.67.
    EXPECT_EQ(ResizeConfig::none().targetPixelSize(1000, 1000, 2.0 / 3.0), pixels(666, 666));
}

TEST(ResizeArithmeticTests, FitMinAndFitMaxPickByAreaWithTiesFixed) {
    EXPECT_EQ(ResizeConfig::fitMin(100, 100).targetSize(400, 300), (Size{100, 75}));
    EXPECT_EQ(ResizeConfig::fitMax(100, 100).targetPixelSize(400, 300), pixels(133, 100));
    EXPECT_EQ(ResizeConfig::fitMin(100, 100).targetSize(300, 400), (Size{75, 100}));
    EXPECT_EQ(ResizeConfig::fitMax(100, 100).targetPixelSize(300, 400), pixels(100, 133));
    EXPECT_EQ(ResizeConfig::fitMin(100, 100).targetSize(50, 50), (Size{100, 100}));
    EXPECT_EQ(ResizeConfig::fitMax(200, 100).targetSize(400, 200), (Size{200, 100}));
}

TEST(ResizeArithmeticTests, TargetAreaRoundsBothSidesUp) {
    EXPECT_EQ(ResizeConfig::targetArea(10000).targetSize(400, 300), (Size{116, 87}));
    EXPECT_EQ(ResizeConfig::targetArea(10000).targetPixelSize(100, 100), pixels(100, 100));
    // A zero-height source has an infinite aspect ratio and no usable width.
    EXPECT_EQ(ResizeConfig::targetArea(10000).targetPixelSize(100, 0), std::nullopt);
}

TEST(ResizeArithmeticTests, PixelConversionAcceptsOnlyValuesThatTruncateInto32Bits) {
    EXPECT_EQ(ResizeConfig::trim(4294967295u, 1).targetPixelSize(1, 1, 1.0),
              pixels(4294967295u, 1));
    EXPECT_EQ(ResizeConfig::trim(2000000000u, 1).targetPixelSize(1, 1, 3.0), std::nullopt);
    EXPECT_EQ(ResizeConfig::fitToWidth(100).targetPixelSize(0, 0), std::nullopt);
    EXPECT_EQ(ResizeConfig::fitToHeight(4000000000u).targetPixelSize(4000000000u, 1), std::nullopt);
    // -0.7 truncates to 0; only -1 and below are refused.
    EXPECT_EQ(ResizeConfig::trim(7, 9).targetPixelSize(1, 1, -0.1), pixels(0, 0));
    EXPECT_EQ(ResizeConfig::trim(10, 10).targetPixelSize(1, 1, -0.1), std::nullopt);
}

} // namespace
} // namespace orlix
