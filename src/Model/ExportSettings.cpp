#include "Model/ExportSettings.h"

#include "Model/PropertyListKey.h"
#include "Model/PropertyListReading.h"

namespace orlix {

namespace {

// The stored resolution codes follow the order of the cases.
constexpr std::uint8_t resolutionCodeCount = 3;

} // namespace

const ExportSettings& ExportSettings::defaultSettings() {
    static const ExportSettings settings{ExportConfig::defaultConfig(), std::nullopt};
    return settings;
}

PropertyList::Dictionary ExportSettings::propertyList() const {
    PropertyList::Dictionary dictionary{
        {PropertyListKey::presetExportConfig, exportConfig.propertyList()}};
    if (resolution) {
        dictionary[PropertyListKey::presetResolutionConfig] = unsigned(*resolution);
    }
    return dictionary;
}

std::optional<ExportSettings>
ExportSettings::fromPropertyList(const PropertyList::Dictionary& dictionary) {
    const auto config =
        PropertyListReading::decoded<ExportConfig>(dictionary, PropertyListKey::presetExportConfig);
    if (!config) {
        return std::nullopt;
    }
    ExportSettings settings{*config, std::nullopt};
    const auto code =
        PropertyListReading::uint8(dictionary, PropertyListKey::presetResolutionConfig);
    if (code && *code < resolutionCodeCount) {
        settings.resolution = ResolutionConfig(*code);
    }
    return settings;
}

} // namespace orlix
