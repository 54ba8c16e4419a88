#pragma once

#include "Model/ExportSettings.h"
#include "Model/ExportSettingsPreset.h"
#include "Model/OutputResolutionsPreference.h"
#include "Model/PerformancePreference.h"

#include <optional>
#include <string>
#include <vector>

namespace orlix {

// The application's preferences as one value. There is no shared instance: every user loads the
// whole value afresh, changes the fields it owns and saves the whole value back.
struct Preferences {
    OutputResolutionsPreference resolutions = defaultResolutions();
    PerformancePreference performance = defaultPerformance();
    ExportSettings currentExportSettings = defaultCurrentExportSettings();
    // The user's own presets, in stored order; the built-in presets are never stored.
    std::vector<ExportSettingsPreset> userPresets;
    std::optional<std::string> userSelectedPresetTitle;
    bool displayOperationsWindow = true;
    bool displayActivityDetailView = true;

    static OutputResolutionsPreference defaultResolutions();
    static PerformancePreference defaultPerformance();
    static const ExportSettings& defaultCurrentExportSettings();

    // The stored preferences; every missing or unreadable value is its default, and a store
    // written by a newer version counts as empty. Never fails and never writes.
    static Preferences load();
    // Writes every field. An absent selected title leaves a stored one in place.
    void save() const;
    // Whether the stored values were written by a version whose form this one understands.
    static bool isStoredVersionSupported();

    bool operator==(const Preferences&) const = default;
};

} // namespace orlix
