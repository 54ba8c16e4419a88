#include "Model/ExportSettings.h"
#include "Model/ExportSettingsPreset.h"

#include <gtest/gtest.h>

#include <set>

namespace orlix {
namespace {

PNGExportConfig pngConfig(bool highQuality, bool useZopfli, std::uint16_t paletteSize = 256,
                          bool dithered = true) {
    return {paletteSize, dithered, highQuality, useZopfli};
}

TEST(ExportSettingsTests, EqualityIgnoresWhatIsNeitherStoredNorRead) {
    EXPECT_EQ(ExportFormat::png(pngConfig(true, false)),
              ExportFormat::png(pngConfig(true, false, 64, false)));
    EXPECT_NE(ExportFormat::png(pngConfig(true, false)),
              ExportFormat::png(pngConfig(false, false)));
    EXPECT_NE(ExportFormat::png(pngConfig(false, true)),
              ExportFormat::png(pngConfig(false, false)));
    EXPECT_EQ(ExportFormat::jpeg({30}), ExportFormat::jpeg({90}));
    EXPECT_EQ(ExportFormat::fileType(pngConfig(true, true), {30}),
              ExportFormat::fileType(pngConfig(true, true), {90}));
    EXPECT_NE(ExportFormat::fileType(pngConfig(true, true), {30}),
              ExportFormat::fileType(pngConfig(true, false), {30}));
    // Same options, different cases.
    EXPECT_NE(ExportFormat::png(pngConfig(false, false)), ExportFormat::fileType({}, {}));
    EXPECT_NE(ExportFormat::jpeg({}), ExportFormat::fileType({}, {}));
}

TEST(ExportSettingsTests, ResizeEqualityComparesCaseAndPayload) {
    EXPECT_NE(ResizeConfig::trim(100, 200), ResizeConfig::fitMax(100, 200));
    EXPECT_NE(ResizeConfig::trim(100, 200), ResizeConfig::trim(200, 100));
    EXPECT_EQ(ResizeConfig::fitToWidth(0), ResizeConfig::fitToWidth(0));
    EXPECT_NE(ResizeConfig::fitToWidth(0), ResizeConfig::none());
    EXPECT_NE(ResizeConfig::fitToWidth(10), ResizeConfig::fitToHeight(10));
    EXPECT_EQ(ResizeConfig::percentage({50}), ResizeConfig::percentage({50}));
    EXPECT_NE(ResizeConfig::targetArea(10), ResizeConfig::targetArea(11));
}

TEST(ExportSettingsTests, ResolutionTakesPartInEquality) {
    auto withResolution = ExportSettings::defaultSettings();
    withResolution.resolution = ResolutionConfig::defaultResolutionsWithMaxPredefinedSize;
    EXPECT_NE(withResolution, ExportSettings::defaultSettings());
    auto other = withResolution;
    other.resolution = ResolutionConfig::defaultResolutionsWithMinPredefinedSize;
    EXPECT_NE(withResolution, other);
}

TEST(ExportSettingsTests, DefaultsKeepEachInputsFormatWithoutResize) {
    const auto& settings = ExportSettings::defaultSettings();
    ASSERT_EQ(settings.exportConfig.format.kind(), ExportFormat::Kind::fileType);
    const auto& png = settings.exportConfig.format.pngConfig();
    EXPECT_EQ(png.paletteSize, 256);
    EXPECT_TRUE(png.dithered);
    EXPECT_FALSE(png.highQuality);
    EXPECT_FALSE(png.useZopfli);
    EXPECT_EQ(settings.exportConfig.format.jpegConfig().quality, 75);
    EXPECT_EQ(settings.exportConfig.resize, ResizeConfig::none());
    EXPECT_FALSE(settings.resolution.has_value());
}

TEST(ExportSettingsTests, OutputFormatFollowsTheInputOnlyForFileType) {
    const auto photo = [](const char* name) { return Url::fileUrl(std::string("/p/") + name); };
    const auto fileType = ExportFormat::fileType({}, {});
    EXPECT_EQ(fileType.uiExportFormat(photo("photo.PNG")), UIExportFormat::png);
    EXPECT_EQ(fileType.uiExportFormat(photo("photo.jpeg")), UIExportFormat::jpeg);
    EXPECT_EQ(fileType.uiExportFormat(photo("photo.JPG")), UIExportFormat::jpeg);
    EXPECT_EQ(fileType.uiExportFormat(photo("photo.gif")), std::nullopt);
    EXPECT_EQ(fileType.uiExportFormat(photo("png")), std::nullopt);
    EXPECT_EQ(fileType.uiExportFormat(*Url::parse("https://example.invalid/a.png")), std::nullopt);
    EXPECT_EQ(ExportFormat::jpeg({}).uiExportFormat(photo("photo.png")), UIExportFormat::jpeg);
    EXPECT_EQ(ExportFormat::png({}).uiExportFormat(photo("photo.gif")), UIExportFormat::png);
}

TEST(ExportSettingsTests, ResizeTexts) {
    EXPECT_EQ(ResizeConfig::percentage({50}).uiString(), "50%");
    EXPECT_EQ(ResizeConfig::percentage({0}).uiString(), "0%");
    EXPECT_EQ(ResizeConfig::trim(820, 462).uiString(), "820/462");
    EXPECT_EQ(ResizeConfig::fitToWidth(1080).uiString(), "1080/AUTO");
    EXPECT_EQ(ResizeConfig::fitToHeight(476).uiString(), "AUTO/476");
    EXPECT_EQ(ResizeConfig::none().uiString(), "100%");
    EXPECT_EQ(ResizeConfig::fitMin(1, 2).uiString(), "");
    EXPECT_EQ(ResizeConfig::fitMax(1, 2).uiString(), "");
    EXPECT_EQ(ResizeConfig::targetArea(100).uiString(), "");
}

TEST(BuiltInPresetsTests, ListOrderAndNotableRows) {
    const auto& presets = ExportSettingsPreset::builtInPresets();
    ASSERT_EQ(presets.size(), 24u);
    EXPECT_EQ(presets.front().title, "Optimize Only");
    EXPECT_EQ(presets.front().exportSettings, ExportSettings::defaultSettings());
    EXPECT_EQ(presets.back().title, "YouTube Cover");
    EXPECT_EQ(presets.back().exportSettings.exportConfig.resize, ResizeConfig::trim(2560, 1440));

    const auto byTitle = [&](const std::string& title) {
        for (const auto& preset : presets) {
            if (preset.title == title) {
                return preset.exportSettings;
            }
        }
        ADD_FAILURE() << title;
        return ExportSettings::defaultSettings();
    };
    EXPECT_EQ(byTitle("Facebook Post Horizontal").exportConfig.resize,
              ResizeConfig::fitToHeight(476));
    EXPECT_EQ(byTitle("Facebook Post Vertical").exportConfig.resize, ResizeConfig::fitToWidth(476));
    EXPECT_EQ(byTitle("Instagram Post"), byTitle("Instagram Ads - Carousel"));
    EXPECT_EQ(byTitle("Instagram Post"), byTitle("Instagram Ads - Image"));
    EXPECT_NE(byTitle("Instagram Post"), byTitle("Instagram Ads - Stories"));

    std::set<std::string> titles;
    for (std::size_t row = 1; row < presets.size(); ++row) {
        const auto& settings = presets[row].exportSettings;
        EXPECT_EQ(settings.exportConfig.format.kind(), ExportFormat::Kind::jpeg);
        EXPECT_EQ(settings.resolution,
                  ResolutionConfig::defaultResolutionsWithMaxSupportedResolutionForImage);
        EXPECT_TRUE(titles.insert(presets[row].title).second) << presets[row].title;
    }
}

TEST(BuiltInPresetsTests, DefaultSettingsMatchOptimizeOnlyWhateverTheUnstoredOptions) {
    auto settings = ExportSettings::defaultSettings();
    settings.exportConfig.format = ExportFormat::fileType(pngConfig(false, false, 16, false), {10});
    EXPECT_EQ(settings, ExportSettingsPreset::builtInPresets().front().exportSettings);
}

} // namespace
} // namespace orlix
