#include "Model/PNGExportConfig.h"

#include "Model/PropertyListKey.h"
#include "Model/PropertyListReading.h"

namespace orlix {

PropertyList::Dictionary PNGExportConfig::propertyList() const {
    return {{PropertyListKey::presetUseHighQuality, highQuality},
            {PropertyListKey::presetUseZopfli, useZopfli}};
}

std::optional<PNGExportConfig>
PNGExportConfig::fromPropertyList(const PropertyList::Dictionary& dictionary) {
    const auto highQuality =
        PropertyListReading::boolean(dictionary, PropertyListKey::presetUseHighQuality);
    if (!highQuality) {
        return std::nullopt;
    }
    const auto useZopfli =
        PropertyListReading::boolean(dictionary, PropertyListKey::presetUseZopfli);
    if (!useZopfli) {
        return std::nullopt;
    }
    PNGExportConfig config;
    config.highQuality = *highQuality;
    config.useZopfli = *useZopfli;
    return config;
}

} // namespace orlix
