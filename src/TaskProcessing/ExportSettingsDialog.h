#pragma once

#include "TaskProcessing/ExportSettingsProvider.h"

namespace orlix {

// The export-settings window as task processing drives it: seeded with the current settings, the
// user's presets and the selected preset title, run modally, then read through the provider.
class ExportSettingsDialog : public ExportSettingsProvider {
public:
    // False when the window's interface could not be loaded; nothing else may be called then.
    virtual bool loadWindow() = 0;
    virtual void configure(const ExportSettings& settings,
                           const std::vector<ExportSettingsPreset>& presets,
                           const std::optional<std::string>& selectedTitle) = 0;
    // Runs until OK (true) or Cancel (false).
    virtual bool runModal() = 0;
    virtual void close() = 0;
};

} // namespace orlix
