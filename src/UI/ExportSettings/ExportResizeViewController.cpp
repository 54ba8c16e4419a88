#include "UI/ExportSettings/ExportResizeViewController.h"

#include "UI/ExportSettings/ChoiceLayout.h"
#include "UI/ExportSettings/ExportResizeTabViewController.h"
#include "UI/ExportSettings/ExportResizeViewControllerDelegate.h"
#include "UI/ExportSettings/ExportSettingsText.h"
#include "UI/ExportSettings/FixedResizeViewController.h"
#include "UI/ExportSettings/PercentageResizeViewController.h"

#include <QRadioButton>

namespace orlix {

ExportResizeViewController::ExportResizeViewController(QWidget* parent)
    : QWidget(parent)
    , resizeTypePercentageRadioButton_(
          new QRadioButton(uiText("&Percentage", "Resize type radio button"), this))
    , resizeTypeFixedRadioButton_(
          new QRadioButton(uiText("&Fixed size", "Resize type radio button"), this))
    , exportResizeTabViewController_(new ExportResizeTabViewController(this))
    , tabViewHeightConstraint_(exportResizeTabViewController_) {
    exportResizeTabViewController_->percentagePane()->setDelegate(this);
    exportResizeTabViewController_->fixedPane()->setDelegate(this);
    resizeTypePercentageRadioButton_->setChecked(true);
    layOutChoice(this, {resizeTypePercentageRadioButton_, resizeTypeFixedRadioButton_},
                 exportResizeTabViewController_,
                 [this](QObject* sender) { resizeTypeChanged(sender); });
}

QRadioButton* ExportResizeViewController::radioButton(UIResizeType type) const {
    return type == UIResizeType::percentage ? resizeTypePercentageRadioButton_
                                            : resizeTypeFixedRadioButton_;
}

ResizeConfig ExportResizeViewController::resizeConfig() const {
    if (uiResizeType_ == UIResizeType::fixed) {
        return exportResizeTabViewController_->fixedPane()->fixedResizeUIType().resizeConfig();
    }
    const auto percentage = exportResizeTabViewController_->percentagePane()->resizePercentage();
    return percentage >= 100 ? ResizeConfig::none() : ResizeConfig::percentage({percentage});
}

void ExportResizeViewController::setResizeConfig(const ResizeConfig& resize) {
    externalDataPushInProgress_ = true;
    switch (resize.kind()) {
    case ResizeConfig::Kind::trim:
    case ResizeConfig::Kind::fitToWidth:
    case ResizeConfig::Kind::fitToHeight:
        select(UIResizeType::fixed);
        // The report carries the configuration read before the pane is updated.
        notifyDelegate(false);
        exportResizeTabViewController_->fixedPane()->setFixedResizeUIType(
            FixedResizeUIType::fromResizeConfig(resize));
        break;
    default: {
        select(UIResizeType::percentage);
        notifyDelegate(false);
        auto* pane = exportResizeTabViewController_->percentagePane();
        pane->setExternalDataPushInProgress(true);
        pane->setResizePercentage(resize.kind() == ResizeConfig::Kind::percentage
                                      ? resize.percentageValue().value
                                      : std::uint8_t(100));
        pane->setExternalDataPushInProgress(false);
        break;
    }
    }
    externalDataPushInProgress_ = false;
}

void ExportResizeViewController::resizeTypeChanged(QObject* sender) {
    for (const auto type : {UIResizeType::percentage, UIResizeType::fixed}) {
        if (sender == radioButton(type)) {
            select(type);
            notifyDelegate(!externalDataPushInProgress_);
            return;
        }
    }
}

void ExportResizeViewController::select(UIResizeType type) {
    uiResizeType_ = type;
    radioButton(type)->setChecked(true);
    exportResizeTabViewController_->animateToTab(int(type), tabViewHeightConstraint_);
}

void ExportResizeViewController::percentageResizeChanged(std::uint8_t, bool) {
    notifyDelegate(!externalDataPushInProgress_);
}

void ExportResizeViewController::fixedResizeChanged(const FixedResizeUIType&, bool) {
    notifyDelegate(!externalDataPushInProgress_);
}

void ExportResizeViewController::notifyDelegate(bool userInitiated) {
    if (delegate_) {
        delegate_->exportResizeChanged(resizeConfig(), userInitiated);
    }
}

} // namespace orlix
