#include "Model/ExportConfig.h"

#include "Model/PropertyListKey.h"
#include "Model/PropertyListReading.h"

namespace orlix {

const ExportConfig& ExportConfig::defaultConfig() {
    static const ExportConfig config{ExportFormat::fileType({}, {}), ResizeConfig::none()};
    return config;
}

PropertyList::Dictionary ExportConfig::propertyList() const {
    return {{PropertyListKey::presetExportFormat, format.propertyList()},
            {PropertyListKey::presetResizeConfig, resize.propertyList()}};
}

std::optional<ExportConfig>
ExportConfig::fromPropertyList(const PropertyList::Dictionary& dictionary) {
    const auto format =
        PropertyListReading::decoded<ExportFormat>(dictionary, PropertyListKey::presetExportFormat);
    if (!format) {
        return std::nullopt;
    }
    const auto resize =
        PropertyListReading::decoded<ResizeConfig>(dictionary, PropertyListKey::presetResizeConfig);
    if (!resize) {
        return std::nullopt;
    }
    return ExportConfig{*format, *resize};
}

} // namespace orlix
