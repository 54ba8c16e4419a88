#pragma once

#include "Model/ExportConfig.h"
#include "Model/ResolutionConfig.h"
#include "Platform/PropertyList.h"

#include <optional>

namespace orlix {

// How one add-images request is exported. Without a resolution each input gives one output
// without a resolution suffix.
struct ExportSettings {
    ExportConfig exportConfig;
    std::optional<ResolutionConfig> resolution;

    static const ExportSettings& defaultSettings();

    PropertyList::Dictionary propertyList() const;
    // An unusable resolution code only drops the resolution; anything else damaged rejects the
    // whole value.
    static std::optional<ExportSettings>
    fromPropertyList(const PropertyList::Dictionary& dictionary);

    bool operator==(const ExportSettings&) const = default;
};

} // namespace orlix
