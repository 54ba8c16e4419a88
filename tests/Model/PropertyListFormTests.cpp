#include "Model/ExportSettingsPreset.h"
#include "Model/PropertyListKey.h"

#include <gtest/gtest.h>

namespace orlix {
namespace {

using Dictionary = PropertyList::Dictionary;

ExportSettings settings(ExportFormat format, ResizeConfig resize,
                        std::optional<ResolutionConfig> resolution = std::nullopt) {
    return {{format, resize}, resolution};
}

ExportSettings roundTrip(const ExportSettings& value) {
    const auto decoded = ExportSettings::fromPropertyList(value.propertyList());
    EXPECT_TRUE(decoded.has_value());
    return decoded.value_or(ExportSettings::defaultSettings());
}

TEST(PropertyListFormTests, StoredFieldsReadBackExactly) {
    const PNGExportConfig highQuality{256, true, true, false};
    const PNGExportConfig zopfli{256, true, false, true};
    const std::vector<ExportSettings> values = {
        settings(ExportFormat::png(highQuality), ResizeConfig::none()),
        settings(ExportFormat::fileType(zopfli, {}), ResizeConfig::percentage({0})),
        settings(ExportFormat::jpeg({}), ResizeConfig::percentage({100}),
                 ResolutionConfig::defaultResolutionsWithMaxPredefinedSize),
        settings(ExportFormat::png(zopfli), ResizeConfig::trim(4294967295u, 1),
                 ResolutionConfig::defaultResolutionsWithMinPredefinedSize),
        settings(ExportFormat::fileType(highQuality, {}), ResizeConfig::fitToWidth(1080),
                 ResolutionConfig::defaultResolutionsWithMaxSupportedResolutionForImage),
        settings(ExportFormat::jpeg({}), ResizeConfig::fitToHeight(476)),
    };
    for (const auto& value : values) {
        const auto decoded = roundTrip(value);
        EXPECT_EQ(decoded, value);
        // Equality ignores some fields; check the kinds and payloads that it compares too.
        EXPECT_EQ(decoded.exportConfig.format.kind(), value.exportConfig.format.kind());
        EXPECT_EQ(decoded.exportConfig.format.pngConfig().highQuality,
                  value.exportConfig.format.pngConfig().highQuality);
        EXPECT_EQ(decoded.exportConfig.resize.width(), value.exportConfig.resize.width());
        EXPECT_EQ(decoded.exportConfig.resize.height(), value.exportConfig.resize.height());
    }
}

TEST(PropertyListFormTests, UnstoredFieldsComeBackAsTheirDefaults) {
    const auto decoded = roundTrip(settings(ExportFormat::fileType({16, false, true, true}, {30}),
                                            ResizeConfig::fitMax(10, 20)));
    const auto& format = decoded.exportConfig.format;
    EXPECT_EQ(format.pngConfig().paletteSize, 256);
    EXPECT_TRUE(format.pngConfig().dithered);
    EXPECT_TRUE(format.pngConfig().highQuality);
    EXPECT_EQ(format.jpegConfig().quality, 75);
    EXPECT_EQ(decoded.exportConfig.resize, ResizeConfig::none());
    EXPECT_EQ(roundTrip(settings(ExportFormat::jpeg({5}), ResizeConfig::targetArea(9))),
              settings(ExportFormat::jpeg({}), ResizeConfig::none()));
    EXPECT_EQ(roundTrip(settings(ExportFormat::jpeg({}), ResizeConfig::fitMin(9, 9))),
              settings(ExportFormat::jpeg({}), ResizeConfig::none()));
}

TEST(PropertyListFormTests, WrittenFormUsesTheExactKeysAndKinds) {
    const auto written =
        settings(ExportFormat::fileType({256, true, true, false}, {}), ResizeConfig::trim(820, 462),
                 ResolutionConfig::defaultResolutionsWithMaxSupportedResolutionForImage)
            .propertyList();
    const Dictionary expected = {
        {"OXPresetExportConfig",
         Dictionary{{"OXPresetExportFormat",
                     Dictionary{{"OXPresetExportType", 2},
                                {"OXPresetExportPNGConfig",
                                 Dictionary{{"OXPresetPNGConfigUseHighQuality", true},
                                            {"OXPresetPNGConfigUseZopfli", false}}}}},
                    {"OXPresetExportResizeConfig",
                     Dictionary{{"OXPresetExportConfigResizeConfigType", 2},
                                {"OXPresetConfigResizeConfigFixedWidth", 820},
                                {"OXPresetConfigResizeConfigFixedHeight", 462}}}}},
        {"OXPresetResolutionConfig", 2}};
    EXPECT_EQ(written, expected);

    const auto jpeg = ExportFormat::jpeg({}).propertyList();
    EXPECT_EQ(jpeg, (Dictionary{{"OXPresetExportType", 1}}));
    EXPECT_EQ(ResizeConfig::fitToHeight(476).propertyList(),
              (Dictionary{{"OXPresetExportConfigResizeConfigType", 4},
                          {"OXPresetConfigResizeConfigFixedHeight", 476}}));
    EXPECT_EQ(ResizeConfig::percentage({40}).propertyList(),
              (Dictionary{{"OXPresetExportConfigResizeConfigType", 1},
                          {"OXPresetConfigResizeConfigPercentage", 40}}));
    EXPECT_EQ(
        ExportSettingsPreset({"Mine", ExportSettings::defaultSettings()}).propertyList(),
        (Dictionary{{"OXPresetTitle", "Mine"},
                    {"OXPresetExportSettings", ExportSettings::defaultSettings().propertyList()}}));
}

TEST(PropertyListFormTests, FormatDecoderNeedsThePNGOptionsOnlyForPNGAndFileType) {
    const Dictionary malformedPNG{{"OXPresetPNGConfigUseHighQuality", 1}};
    EXPECT_EQ(ExportFormat::fromPropertyList(
                  {{"OXPresetExportType", 1}, {"OXPresetExportPNGConfig", malformedPNG}}),
              ExportFormat::jpeg({}));
    EXPECT_EQ(ExportFormat::fromPropertyList({{"OXPresetExportType", 0}}), std::nullopt);
    EXPECT_EQ(ExportFormat::fromPropertyList(
                  {{"OXPresetExportType", 2}, {"OXPresetExportPNGConfig", malformedPNG}}),
              std::nullopt);
    EXPECT_EQ(ExportFormat::fromPropertyList({{"OXPresetExportType", 3}}), std::nullopt);
    EXPECT_EQ(ExportFormat::fromPropertyList({{"OXPresetExportType", 1.5}}), std::nullopt);
    EXPECT_EQ(ExportFormat::fromPropertyList({{"OXPresetExportType", "1"}}), std::nullopt);
    // A whole real number is a number like any other.
    EXPECT_EQ(ExportFormat::fromPropertyList({{"OXPresetExportType", 1.0}}),
              ExportFormat::jpeg({}));
}

TEST(PropertyListFormTests, ResizeDecoderValidatesEachType) {
    const auto decode = [](Dictionary dictionary) {
        return ResizeConfig::fromPropertyList(dictionary);
    };
    const char* type = PropertyListKey::presetResizeConfigType;
    const char* percentage = PropertyListKey::presetResizeConfigPercentage;
    const char* width = PropertyListKey::presetResizeConfigFixedWidth;
    const char* height = PropertyListKey::presetResizeConfigFixedHeight;
    EXPECT_EQ(decode({{type, 0}, {width, "ignored"}}), ResizeConfig::none());
    EXPECT_EQ(decode({{type, 1}, {percentage, 150}}), ResizeConfig::percentage({100}));
    EXPECT_EQ(decode({{type, 1}, {percentage, 0}}), ResizeConfig::percentage({0}));
    EXPECT_EQ(decode({{type, 1}, {percentage, 300}}), std::nullopt);
    EXPECT_EQ(decode({{type, 2}, {width, 10}}), std::nullopt);
    EXPECT_EQ(decode({{type, 2}, {width, 10}, {height, -1}}), std::nullopt);
    EXPECT_EQ(decode({{type, 3}, {height, 10}}), std::nullopt);
    EXPECT_EQ(decode({{type, 4}, {width, 10}}), std::nullopt);
    EXPECT_EQ(decode({{type, 3}, {width, std::int64_t{4294967296}}}), std::nullopt);
    EXPECT_EQ(decode({{type, 5}}), std::nullopt);
    EXPECT_EQ(decode({{type, true}}), std::nullopt);
    EXPECT_EQ(decode({}), std::nullopt);

    // A failed resize rejects the settings that hold it.
    auto config = ExportConfig::defaultConfig().propertyList();
    EXPECT_TRUE(ExportSettings::fromPropertyList({{"OXPresetExportConfig", config}}));
    config["OXPresetExportResizeConfig"] = Dictionary{{type, 1}, {percentage, 300}};
    EXPECT_EQ(ExportSettings::fromPropertyList({{"OXPresetExportConfig", config}}), std::nullopt);
}

TEST(PropertyListFormTests, UnusableResolutionCodeOnlyDropsTheResolution) {
    auto stored = ExportSettings::defaultSettings().propertyList();
    for (const PropertyList& code : {PropertyList(7), PropertyList("2"), PropertyList(-1),
                                     PropertyList(256), PropertyList(true)}) {
        stored["OXPresetResolutionConfig"] = code;
        EXPECT_EQ(ExportSettings::fromPropertyList(stored), ExportSettings::defaultSettings());
    }
    stored["OXPresetResolutionConfig"] = 1;
    EXPECT_EQ(ExportSettings::fromPropertyList(stored)->resolution,
              ResolutionConfig::defaultResolutionsWithMinPredefinedSize);
}

TEST(PropertyListFormTests, PresetNeedsATextTitleAndValidSettings) {
    const auto settingsForm = ExportSettings::defaultSettings().propertyList();
    EXPECT_EQ(ExportSettingsPreset::fromPropertyList(
                  {{"OXPresetTitle", "Mine"}, {"OXPresetExportSettings", settingsForm}}),
              (ExportSettingsPreset{"Mine", ExportSettings::defaultSettings()}));
    EXPECT_EQ(ExportSettingsPreset::fromPropertyList(
                  {{"OXPresetTitle", 5}, {"OXPresetExportSettings", settingsForm}}),
              std::nullopt);
    EXPECT_EQ(ExportSettingsPreset::fromPropertyList(
                  {{"OXPresetTitle", "Mine"}, {"OXPresetExportSettings", Dictionary{}}}),
              std::nullopt);
    EXPECT_EQ(ExportSettingsPreset::fromPropertyList({{"OXPresetExportSettings", settingsForm}}),
              std::nullopt);
}

} // namespace
} // namespace orlix
