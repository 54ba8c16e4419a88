#include "Model/ExportSize.h"
#include "Model/OutputResolutionsPreference.h"

#include <gtest/gtest.h>

namespace orlix {
namespace {

using Kind = ExportSize::ResolutionType::Kind;
const auto allThree = resolutions(OutputResolutionsPreference::x3x2x1);
const auto twoAndOne = resolutions(OutputResolutionsPreference::x2x1);

struct FixedOutput {
    OutputResolution resolution;
    double multiplier;
};

void expectFixed(const std::vector<ExportSize>& sizes, const std::vector<FixedOutput>& expected) {
    ASSERT_EQ(sizes.size(), expected.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        ASSERT_EQ(sizes[i].resolutionType.kind(), Kind::fixed);
        EXPECT_EQ(sizes[i].resolutionType.resolution(), expected[i].resolution);
        EXPECT_EQ(sizes[i].resolutionType.resizeMultiplier(), expected[i].multiplier);
    }
}

TEST(ExportSizeTests, PreferenceSetsHaveTwoOrThreeMembers) {
    EXPECT_EQ(allThree.size(), 3u);
    EXPECT_EQ(twoAndOne, (OutputResolutionSet{OutputResolution::x1, OutputResolution::x2}));
}

TEST(ExportSizeTests, NoResolutionGivesOneOutputWithTheResizeUnchanged) {
    const auto sizes = exportSizes(ResizeConfig::trim(820, 462), std::nullopt, allThree);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].resolutionType.kind(), Kind::none);
    EXPECT_EQ(sizes[0].resizeConfig, ResizeConfig::trim(820, 462));
}

TEST(ExportSizeTests, FixedSizesAreScaledFromTheReferenceResolution) {
    const auto maxDefined = ResolutionConfig::defaultResolutionsWithMaxPredefinedSize;
    const auto minDefined = ResolutionConfig::defaultResolutionsWithMinPredefinedSize;
    using enum OutputResolution;
    expectFixed(exportSizes(ResizeConfig::none(), maxDefined, twoAndOne), {{x1, 0.5}, {x2, 1.0}});
    expectFixed(exportSizes(ResizeConfig::none(), maxDefined, allThree),
                {{x1, 1.0 / 3.0}, {x2, 2.0 / 3.0}, {x3, 1.0}});
    expectFixed(exportSizes(ResizeConfig::none(), minDefined, twoAndOne), {{x1, 1.0}, {x2, 2.0}});
    expectFixed(exportSizes(ResizeConfig::none(), minDefined, allThree),
                {{x1, 1.0}, {x2, 2.0}, {x3, 3.0}});

    std::vector<ImagePixelSize> pixelSizes;
    for (const auto& size : exportSizes(ResizeConfig::none(), maxDefined, allThree)) {
        pixelSizes.push_back(
            *size.resizeConfig.targetPixelSize(900, 600, size.resolutionType.resizeMultiplier()));
    }
    EXPECT_EQ(pixelSizes, (std::vector<ImagePixelSize>{{300, 200}, {600, 400}, {900, 600}}));
    EXPECT_TRUE(exportSizes(ResizeConfig::none(), minDefined, {}).empty());
}

std::optional<OutputResolution> resolved(const ResizeConfig& resize, ImagePixelSize source,
                                         std::optional<ImagePixelSize> maximum) {
    const auto sizes = exportSizes(
        resize, ResolutionConfig::defaultResolutionsWithMaxSupportedResolutionForImage, allThree);
    EXPECT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].resolutionType.kind(), Kind::variableForSourceSizeAndMaxSize);
    return sizes[0].resolutionType.resolver()(source, maximum);
}

TEST(ExportSizeTests, VariableSizeResolvesToTheLargestResolutionThatFitsByArea) {
    const ImagePixelSize source{1000, 800};
    EXPECT_EQ(resolved(ResizeConfig::percentage({25}), source, source), OutputResolution::x3);
    EXPECT_EQ(resolved(ResizeConfig::trim(600, 600), source, source), OutputResolution::x1);
    EXPECT_EQ(resolved(ResizeConfig::trim(2000, 2000), source, source), std::nullopt);
    // 3000 rows exceed the source's 800, but only the area counts.
    EXPECT_EQ(resolved(ResizeConfig::trim(100, 3000), source, source), OutputResolution::x1);
    EXPECT_EQ(resolved(ResizeConfig::trim(2000, 2000), source, std::nullopt), OutputResolution::x3);
    // Exactly the maximum's area still fits.
    EXPECT_EQ(resolved(ResizeConfig::trim(500, 400), source, source), OutputResolution::x2);
}

TEST(ExportSizeTests, ResolverSkipsSizesWithoutPixelRepresentation) {
    // A zero-height target makes the aspect ratio infinite: every height is 0 and fits.
    EXPECT_EQ(largestFittingResolution(ResizeConfig::trim(10, 0), allThree, {5, 5}, {{1, 1}}),
              OutputResolution::x3);
    EXPECT_EQ(largestFittingResolution(ResizeConfig::trim(0, 0), allThree, {5, 5}, {{1, 1}}),
              std::nullopt);
    EXPECT_EQ(largestFittingResolution(ResizeConfig::none(), {}, {5, 5}, std::nullopt),
              std::nullopt);
}

} // namespace
} // namespace orlix
