#include "UI/ExportSettings/ExportTypeTabViewController.h"

#include "UI/ExportSettings/ExportTypeTabViewControllerDelegate.h"
#include "UI/ExportSettings/JPEGExportTypeSettingsViewController.h"
#include "UI/ExportSettings/PNGExportTypeSettingsViewControllerSynchronizer.h"

namespace orlix {

ExportTypeTabViewController::ExportTypeTabViewController(QWidget* parent)
    : AnimatedConstraintTabViewController(parent)
    , pngExportSettingsViewController_(new PNGExportTypeSettingsViewController(this))
    , jpegExportSettingsViewController_(new JPEGExportTypeSettingsViewController(this))
    , fileTypeExportSettingsViewController_(new PNGExportTypeSettingsViewController(this)) {
    pngExportSettingsViewController_->setDelegate(this);
    fileTypeExportSettingsViewController_->setDelegate(this);
    addWidget(pngExportSettingsViewController_);
    addWidget(jpegExportSettingsViewController_);
    addWidget(fileTypeExportSettingsViewController_);
    viewDidLoad();
}

ExportTypeTabViewController::~ExportTypeTabViewController() = default;

void ExportTypeTabViewController::pngSettingsChanged(std::pair<bool, bool> settings,
                                                     bool userInitiated) {
    if (delegate_) {
        delegate_->tabPNGSettingsChanged(settings, userInitiated);
    }
}

void ExportTypeTabViewController::showEvent(QShowEvent* event) {
    synchronizer_ = std::make_unique<PNGExportTypeSettingsViewController::Synchronizer>(
        std::vector{pngExportSettingsViewController_, fileTypeExportSettingsViewController_});
    AnimatedConstraintTabViewController::showEvent(event);
}

void ExportTypeTabViewController::hideEvent(QHideEvent* event) {
    synchronizer_.reset();
    AnimatedConstraintTabViewController::hideEvent(event);
}

} // namespace orlix
