#include "UI/ExportSettings/ExportTypeViewController.h"

#include "UI/ExportSettings/ChoiceLayout.h"
#include "UI/ExportSettings/ExportSettingsText.h"
#include "UI/ExportSettings/ExportTypeTabViewController.h"
#include "UI/ExportSettings/ExportTypeViewControllerDelegate.h"

#include <QRadioButton>

namespace orlix {

ExportTypeViewController::ExportTypeViewController(QWidget* parent)
    : QWidget(parent)
    , pngRadioButton_(new QRadioButton(uiText("P&NG", "Output type radio button"), this))
    , jpegRadioButton_(new QRadioButton(uiText("&JPEG", "Output type radio button"), this))
    , fileTypeRadioButton_(new QRadioButton(
          uiText("Same as &input", "Output type radio button: each image keeps its file type"),
          this))
    , settingsTabViewController_(new ExportTypeTabViewController(this))
    , tabViewHeightConstraint_(settingsTabViewController_) {
    settingsTabViewController_->setDelegate(this);
    fileTypeRadioButton_->setChecked(true);
    layOutChoice(this, {pngRadioButton_, jpegRadioButton_, fileTypeRadioButton_},
                 settingsTabViewController_,
                 [this](QObject* sender) { exportTypeChanged(sender); });
}

QRadioButton* ExportTypeViewController::radioButton(ExportUIType type) const {
    switch (type) {
    case ExportUIType::png:
        return pngRadioButton_;
    case ExportUIType::jpeg:
        return jpegRadioButton_;
    case ExportUIType::fileType:
        break;
    }
    return fileTypeRadioButton_;
}

ExportFormat ExportTypeViewController::exportFormat() const {
    const auto* png = settingsTabViewController_->pngExportSettingsViewController();
    const PNGExportConfig pngConfig{256, true, png->higherQuality(), png->smallerFilesize()};
    switch (uiExportType_) {
    case ExportUIType::jpeg:
        return ExportFormat::jpeg({75});
    case ExportUIType::png:
        return ExportFormat::png(pngConfig);
    case ExportUIType::fileType:
        break;
    }
    return ExportFormat::fileType(pngConfig, {75});
}

void ExportTypeViewController::setExportFormat(const ExportFormat& format) {
    externalDataPushInProgress_ = true;
    switch (format.kind()) {
    case ExportFormat::Kind::jpeg:
        uiExportType_ = ExportUIType::jpeg;
        break;
    case ExportFormat::Kind::png:
        uiExportType_ = ExportUIType::png;
        break;
    case ExportFormat::Kind::fileType:
        uiExportType_ = ExportUIType::fileType;
        break;
    }
    showSettingsTab(uiExportType_);
    // The report carries the PNG panes' previous flags; theirs follow.
    notifyDelegate(false);
    if (format.kind() != ExportFormat::Kind::jpeg) {
        const auto& config = format.pngConfig();
        settingsTabViewController_->pngExportSettingsViewController()->pushSettings(
            config.highQuality, config.useZopfli);
        settingsTabViewController_->fileTypeExportSettingsViewController()->pushSettings(
            config.highQuality, config.useZopfli);
    }
    externalDataPushInProgress_ = false;
}

std::optional<ExportUIType> ExportTypeViewController::typeOfRadioButton(QObject* sender) const {
    for (const auto type : {ExportUIType::png, ExportUIType::jpeg, ExportUIType::fileType}) {
        if (sender == radioButton(type)) {
            return type;
        }
    }
    return std::nullopt;
}

void ExportTypeViewController::exportTypeChanged(QObject* sender) {
    if (const auto type = typeOfRadioButton(sender)) {
        uiExportType_ = *type;
        showSettingsTab(*type);
        notifyDelegate(!externalDataPushInProgress_);
    }
    showSettingsTab(uiExportType_);
}

void ExportTypeViewController::showSettingsTab(ExportUIType type) {
    radioButton(type)->setChecked(true);
    settingsTabViewController_->animateToTab(int(type), tabViewHeightConstraint_);
}

void ExportTypeViewController::tabPNGSettingsChanged(std::pair<bool, bool>, bool userInitiated) {
    notifyDelegate(userInitiated);
}

void ExportTypeViewController::notifyDelegate(bool userInitiated) {
    if (delegate_) {
        delegate_->exportFormatChanged(exportFormat(), userInitiated);
    }
}

} // namespace orlix
