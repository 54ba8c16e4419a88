#pragma once

#include "Model/ExportSettings.h"
#include "Platform/PropertyList.h"

#include <optional>
#include <string>
#include <vector>

namespace orlix {

struct ExportSettingsPreset {
    std::string title;
    ExportSettings exportSettings;

    // The presets offered before the user's own, "Optimize Only" first. Several share their
    // settings, so only the title tells them apart.
    static const std::vector<ExportSettingsPreset>& builtInPresets();

    PropertyList::Dictionary propertyList() const;
    static std::optional<ExportSettingsPreset>
    fromPropertyList(const PropertyList::Dictionary& dictionary);

    bool operator==(const ExportSettingsPreset&) const = default;
};

} // namespace orlix
