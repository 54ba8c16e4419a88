#pragma once

#include "Model/ExportSettings.h"
#include "Model/ExportSettingsPreset.h"

#include <optional>
#include <string>
#include <vector>

namespace orlix {

// What the export-settings window hands back after its run.
class ExportSettingsProvider {
public:
    virtual ~ExportSettingsProvider() = default;

    // The settings the window shows.
    virtual ExportSettings exportSettings() const = 0;
    // Sorted by title, as created or deleted in the window; kept also when it was cancelled.
    virtual std::vector<ExportSettingsPreset> userPresets() const = 0;
    // The preset chosen in the window; absent when none is.
    virtual std::optional<std::string> userSelectedPresetTitle() const = 0;
};

} // namespace orlix
