#pragma once

namespace orlix {

// Every key text of the stored preferences. The texts are what files written by earlier versions
// hold, irregular spellings included; never change one.
struct PropertyListKey {
    // Top level of the preferences domain.
    static constexpr const char* version = "OXPropertyListVersion";
    static constexpr const char* performance = "OXPerformance";
    static constexpr const char* resolutions = "OXOutputResolutions";
    static constexpr const char* currentExportSettings = "OXCurrentExportSettings";
    static constexpr const char* presets = "OXPresets";
    static constexpr const char* userSelectedPresetTitle = "OXUserSelectedPresetTitle";
    static constexpr const char* displayOperationsWindow = "OXDisplayOperationsWindow";
    static constexpr const char* displayActivityDetailView = "OXDisplayActivityDetailView";

    // Preset dictionary.
    static constexpr const char* presetTitle = "OXPresetTitle";
    static constexpr const char* presetExportSettings = "OXPresetExportSettings";
    // Settings dictionary.
    static constexpr const char* presetExportConfig = "OXPresetExportConfig";
    static constexpr const char* presetResolutionConfig = "OXPresetResolutionConfig";
    // Config dictionary.
    static constexpr const char* presetExportFormat = "OXPresetExportFormat";
    static constexpr const char* presetResizeConfig = "OXPresetExportResizeConfig";
    // Format dictionary.
    static constexpr const char* presetExportType = "OXPresetExportType";
    static constexpr const char* presetPNGConfig = "OXPresetExportPNGConfig";
    // PNG dictionary.
    static constexpr const char* presetUseHighQuality = "OXPresetPNGConfigUseHighQuality";
    static constexpr const char* presetUseZopfli = "OXPresetPNGConfigUseZopfli";
    // Resize dictionary.
    static constexpr const char* presetResizeConfigType = "OXPresetExportConfigResizeConfigType";
    static constexpr const char* presetResizeConfigPercentage =
        "OXPresetConfigResizeConfigPercentage";
    static constexpr const char* presetResizeConfigFixedWidth =
        "OXPresetConfigResizeConfigFixedWidth";
    static constexpr const char* presetResizeConfigFixedHeight =
        "OXPresetConfigResizeConfigFixedHeight";
};

} // namespace orlix
