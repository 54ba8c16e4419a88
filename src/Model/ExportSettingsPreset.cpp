#include "Model/ExportSettingsPreset.h"

#include "Model/PropertyListKey.h"
#include "Model/PropertyListReading.h"

namespace orlix {

namespace {

// A preset for a social network's image slot: one JPEG at the largest resolution the source can
// fill.
ExportSettingsPreset jpegPreset(const char* title, ResizeConfig resize) {
    return {title,
            {{ExportFormat::jpeg({}), resize},
             ResolutionConfig::defaultResolutionsWithMaxSupportedResolutionForImage}};
}

std::vector<ExportSettingsPreset> makeBuiltInPresets() {
    const auto trim = ResizeConfig::trim;
    return {
        {"Optimize Only", ExportSettings::defaultSettings()},
        jpegPreset("Facebook Cover", trim(820, 462)),
        jpegPreset("Facebook Avatar", trim(180, 180)),
        jpegPreset("Facebook Post Square", trim(476, 476)),
        jpegPreset("Facebook Post Horizontal", ResizeConfig::fitToHeight(476)),
        jpegPreset("Facebook Post Vertical", ResizeConfig::fitToWidth(476)),
        jpegPreset("Facebook Ads - Image", trim(1200, 628)),
        jpegPreset("Facebook Ads - Carousel", trim(600, 600)),
        jpegPreset("Google+ Cover", trim(1600, 900)),
        jpegPreset("Google+ Post", trim(800, 320)),
        jpegPreset("Instagram Post", trim(1080, 1080)),
        jpegPreset("Instagram Ads - Stories", trim(1080, 1920)),
        jpegPreset("Instagram Ads - Carousel", trim(1080, 1080)),
        jpegPreset("Instagram Ads - Image", trim(1080, 1080)),
        jpegPreset("LinkedIn Profile", trim(1584, 396)),
        jpegPreset("LinkedIn Company Page", trim(1536, 768)),
        jpegPreset("LinkedIn Post", trim(552, 368)),
        jpegPreset("Pinterest", trim(600, 900)),
        jpegPreset("Snapchat Ads", trim(1080, 1920)),
        jpegPreset("Tumblr Cover", trim(1600, 900)),
        jpegPreset("Twitter Cover", trim(1500, 500)),
        jpegPreset("Twitter Post", trim(1024, 576)),
        jpegPreset("Twitter Ads", trim(1024, 512)),
        jpegPreset("YouTube Cover", trim(2560, 1440)),
    };
}

} // namespace

const std::vector<ExportSettingsPreset>& ExportSettingsPreset::builtInPresets() {
    static const std::vector<ExportSettingsPreset> presets = makeBuiltInPresets();
    return presets;
}

PropertyList::Dictionary ExportSettingsPreset::propertyList() const {
    return {{PropertyListKey::presetTitle, title},
            {PropertyListKey::presetExportSettings, exportSettings.propertyList()}};
}

std::optional<ExportSettingsPreset>
ExportSettingsPreset::fromPropertyList(const PropertyList::Dictionary& dictionary) {
    const auto* storedTitle = PropertyListReading::string(dictionary, PropertyListKey::presetTitle);
    if (storedTitle == nullptr) {
        return std::nullopt;
    }
    const auto settings = PropertyListReading::decoded<ExportSettings>(
        dictionary, PropertyListKey::presetExportSettings);
    if (!settings) {
        return std::nullopt;
    }
    return ExportSettingsPreset{*storedTitle, *settings};
}

} // namespace orlix
