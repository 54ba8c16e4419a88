#pragma once

#include "TaskProcessing/ExportSettingsDialog.h"
#include "UI/ExportSettings/ExportResizeViewControllerDelegate.h"
#include "UI/ExportSettings/ExportTypeViewControllerDelegate.h"
#include "UI/ExportSettings/PresetItemIndexes.h"
#include "UI/ExportSettings/Resolution/ExportResolutionViewControllerDelegate.h"

#include <QPointer>

#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QDialog;
class QPushButton;
class QString;
class QWidget;

namespace orlix {

class ExportResizeViewController;
class ExportResolutionViewController;
class ExportTypeViewController;

// The modal export-settings window: the resize, the output type and the output resolutions,
// with a pop-up of presets that follows the settings shown and sheets that save and delete the
// user's own presets. OK ends the run with 1 once every field shown holds a valid value; Cancel,
// Esc and closing the window end it with 0. Main thread only.
class ExportSettingsWindowController final : public ExportSettingsDialog,
                                             public ExportResizeViewControllerDelegate,
                                             public ExportTypeViewControllerDelegate,
                                             public ExportResolutionViewControllerDelegate {
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

    // The window's actions.
    void doOK();
    void doCancel();
    void doCreatePreset();
    void configPresetChanged();

    // The pop-up's titles, placeholders ("---") where separators go.
    std::vector<std::string> uiConfigPresets() const;
    const std::vector<ExportSettingsPreset>& builtInPresets() const;
    PresetItemIndexes presetItemIndexes() const;
    std::optional<ExportSettingsPreset> preset(int itemIndex) const;
    void selectPresetItem(const ExportSettings& settings);
    std::optional<int> recentlySelectedPresetItemIndex(const ExportSettings& settings) const;
    void addUserPreset(const std::string& title, const ExportSettings& settings);
    void showDeletePresetsSheet();
    std::vector<std::string> allPresetTitles() const;
    const std::vector<std::string>& userSelectedPresetTitleQueue() const {
        return userSelectedPresetTitleQueue_;
    }

    void exportResizeChanged(const ResizeConfig& resize, bool userInitiated) override;
    void exportFormatChanged(const ExportFormat& format, bool userInitiated) override;
    void exportResolutionChanged(std::optional<ResolutionConfig> resolution,
                                 bool userInitiated) override;

    QDialog* window() const { return window_; }
    QComboBox* configPresetPopUpButton() const { return configPresetPopUpButton_; }
    QPushButton* createPresetButton() const { return createPresetButton_; }
    ExportResizeViewController* resizeViewController() const { return resizeViewController_; }
    ExportTypeViewController* typeViewController() const { return typeViewController_; }
    ExportResolutionViewController* resolutionViewController() const {
        return resolutionViewController_;
    }
    // The create-preset or delete-presets sheet while it is up.
    QDialog* presentedSheetWindowController() const { return presentedSheetWindowController_; }

private:
    QWidget* makePresetRow();
    QWidget* makeContainer(const QString& title, QWidget* pane);
    void embedPanes();
    // Delivers what is typed in the fields shown; false, with the faulty field focused, when
    // one holds no valid value.
    bool commitEditing();
    void announceConfigPresetsChanged();
    void sortUserPresets();
    void setResolutionPopUp(std::optional<ResolutionConfig> resolution);
    void applyPreset(const ExportSettingsPreset& preset);
    void reselectAfterUserChange(bool userInitiated);
    void showCreatePresetSheet();
    void createPresetSheetEnded(int code);
    void deletePresetsSheetEnded(int code);
    void endSheet();

    QPointer<QDialog> window_;
    QComboBox* configPresetPopUpButton_ = nullptr;
    QPushButton* createPresetButton_ = nullptr;
    QPointer<QDialog> presentedSheetWindowController_;
    ExportResizeViewController* resizeViewController_ = nullptr;
    ExportTypeViewController* typeViewController_ = nullptr;
    ExportResolutionViewController* resolutionViewController_ = nullptr;
    std::vector<std::string> userSelectedPresetTitleQueue_;
    std::vector<ExportSettingsPreset> userPresets_;
    mutable std::optional<std::vector<ExportSettingsPreset>> builtInPresets_;
};

} // namespace orlix
