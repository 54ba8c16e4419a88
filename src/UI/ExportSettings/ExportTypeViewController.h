#pragma once

#include "Model/ExportFormat.h"
#include "UI/ExportSettings/ExportTypeTabViewControllerDelegate.h"
#include "UI/ExportSettings/ExportUIType.h"
#include "UI/ExportSettings/HeightConstraint.h"

#include <QWidget>

#include <optional>

class QRadioButton;

namespace orlix {

class ExportTypeTabViewController;
class ExportTypeViewControllerDelegate;

// The output type: PNG, JPEG or each input's own type, with the options of the chosen type
// below. Values pushed from outside are reported to the delegate as not user-initiated. The
// pushed palette size, dithering and JPEG quality are not kept: the pane always produces 256
// dithered colours and quality 75.
class ExportTypeViewController : public QWidget, public ExportTypeTabViewControllerDelegate {
public:
    explicit ExportTypeViewController(QWidget* parent = nullptr);

    void setDelegate(ExportTypeViewControllerDelegate* delegate) { delegate_ = delegate; }
    ExportUIType uiExportType() const { return uiExportType_; }
    bool externalDataPushInProgress() const { return externalDataPushInProgress_; }

    ExportFormat exportFormat() const;
    void setExportFormat(const ExportFormat& format);

    // The action of the three radio buttons.
    void exportTypeChanged(QObject* sender);
    void showSettingsTab(ExportUIType type);

    void tabPNGSettingsChanged(std::pair<bool, bool> settings, bool userInitiated) override;

    ExportTypeTabViewController* settingsTabViewController() const {
        return settingsTabViewController_;
    }
    QRadioButton* radioButton(ExportUIType type) const;

private:
    std::optional<ExportUIType> typeOfRadioButton(QObject* sender) const;
    void notifyDelegate(bool userInitiated);

    ExportTypeViewControllerDelegate* delegate_ = nullptr;
    ExportUIType uiExportType_ = ExportUIType::fileType;
    bool externalDataPushInProgress_ = false;
    QRadioButton* pngRadioButton_;
    QRadioButton* jpegRadioButton_;
    QRadioButton* fileTypeRadioButton_;
    ExportTypeTabViewController* settingsTabViewController_;
    HeightConstraint tabViewHeightConstraint_;
};

} // namespace orlix
