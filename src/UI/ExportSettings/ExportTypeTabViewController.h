#pragma once

#include "UI/ExportSettings/AnimatedConstraintTabViewController.h"
#include "UI/ExportSettings/PNGExportTypeSettingsViewController.h"
#include "UI/ExportSettings/PNGExportTypeSettingsViewControllerDelegate.h"

#include <memory>

namespace orlix {

class ExportTypeTabViewControllerDelegate;
class JPEGExportTypeSettingsViewController;

// The options of the three output types, as tabs 0 (PNG), 1 (JPEG) and 2 (each input's own
// type, whose PNG options are a second pane kept equal to the first while they are shown).
class ExportTypeTabViewController : public AnimatedConstraintTabViewController,
                                    public PNGExportTypeSettingsViewControllerDelegate {
public:
    explicit ExportTypeTabViewController(QWidget* parent = nullptr);
    ~ExportTypeTabViewController() override;

    void setDelegate(ExportTypeTabViewControllerDelegate* delegate) { delegate_ = delegate; }

    PNGExportTypeSettingsViewController* pngExportSettingsViewController() const {
        return pngExportSettingsViewController_;
    }
    JPEGExportTypeSettingsViewController* jpegExportSettingsViewController() const {
        return jpegExportSettingsViewController_;
    }
    PNGExportTypeSettingsViewController* fileTypeExportSettingsViewController() const {
        return fileTypeExportSettingsViewController_;
    }
    bool isSynchronizing() const { return synchronizer_ != nullptr; }

    void pngSettingsChanged(std::pair<bool, bool> settings, bool userInitiated) override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    ExportTypeTabViewControllerDelegate* delegate_ = nullptr;
    PNGExportTypeSettingsViewController* pngExportSettingsViewController_;
    JPEGExportTypeSettingsViewController* jpegExportSettingsViewController_;
    PNGExportTypeSettingsViewController* fileTypeExportSettingsViewController_;
    std::unique_ptr<PNGExportTypeSettingsViewController::Synchronizer> synchronizer_;
};

} // namespace orlix
