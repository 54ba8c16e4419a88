#pragma once

#include "Model/ExportFormat.h"
#include "Model/ResizeConfig.h"
#include "Platform/PropertyList.h"

#include <optional>

namespace orlix {

struct ExportConfig {
    ExportFormat format;
    ResizeConfig resize;

    // Each input keeps its format (PNG: 256 dithered colours; JPEG: quality 75), no resize.
    static const ExportConfig& defaultConfig();

    PropertyList::Dictionary propertyList() const;
    static std::optional<ExportConfig> fromPropertyList(const PropertyList::Dictionary& dictionary);

    bool operator==(const ExportConfig&) const = default;
};

} // namespace orlix
