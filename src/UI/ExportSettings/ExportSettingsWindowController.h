#pragma once

#include "TaskProcessing/ExportSettingsDialog.h"

#include <QComboBox>
#include <QDialog>
#include <QPointer>

namespace orlix {

// The export-settings window in its simplest form: the presets, built-in and the user's, in a
// list to choose from, with OK and Cancel. Main thread only.
class ExportSettingsWindowController final : public ExportSettingsDialog {
public:
    ExportSettingsWindowController();
    ~ExportSettingsWindowController() override;

    bool loadWindow() override;
    void configure(const ExportSettings& settings, const std::vector<ExportSettingsPreset>& presets,
                   const std::optional<std::string>& selectedTitle) override;
    bool runModal() override;
    void close() override;
    ExportSettings exportSettings() const override;
    std::vector<ExportSettingsPreset> userPresets() const override { return userPresets_; }
    std::optional<std::string> userSelectedPresetTitle() const override;

private:
    std::vector<ExportSettingsPreset> allPresets() const;

    QPointer<QDialog> window_;
    QComboBox* presets_ = nullptr;
    ExportSettings settings_ = ExportSettings::defaultSettings();
    std::vector<ExportSettingsPreset> userPresets_;
};

} // namespace orlix
