#pragma once

#include "Model/ExportSettings.h"
#include "Model/ExportSettingsPreset.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orlix {

// The export-settings window as task processing drives it: seeded with the current settings, the
// user's presets and the selected preset title, run modally, then read.
class ExportSettingsDialog {
public:
    virtual ~ExportSettingsDialog() = default;

    // False when the window's interface could not be loaded; nothing else may be called then.
    virtual bool loadWindow() = 0;
    virtual void configure(const ExportSettings& settings,
                           const std::vector<ExportSettingsPreset>& presets,
                           const std::optional<std::string>& selectedTitle) = 0;
    // Runs until OK (true) or Cancel (false).
    virtual bool runModal() = 0;
    virtual void close() = 0;

    // Read after the modal run.
    virtual ExportSettings exportSettings() const = 0;
    // Sorted by title, as created or deleted in the window.
    virtual std::vector<ExportSettingsPreset> userPresets() const = 0;
    virtual std::optional<std::string> userSelectedPresetTitle() const = 0;
};

} // namespace orlix
