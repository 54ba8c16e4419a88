#include "UI/ExportSettings/Resolution/ExportResolutionViewController.h"

#include "UI/ExportSettings/ExportSettingsText.h"
#include "UI/ExportSettings/Resolution/ExportResolutionViewControllerDelegate.h"
#include "UI/ExportSettings/WindowEditing.h"

#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace orlix {

namespace {

// The explanation wraps at this width, so that its height is known before it is laid out.
constexpr int explanationWidth = 400;
constexpr int explanationSpacing = 6;

} // namespace

ExportResolutionViewController::ExportResolutionViewController(QWidget* parent)
    : QWidget(parent)
    , generateOtherResolutionsPopUpButton_(new QComboBox(this))
    , popUpButtonBottomToExplanationLabelTopSpacer_(new QWidget(this))
    , explanationLabel_(new QLabel(this))
    , popUpButtonBottomToExplanationLabelTopConstraint_(
          popUpButtonBottomToExplanationLabelTopSpacer_)
    , explanationLabelHeightConstraint_(explanationLabel_)
    , largerResolutionsExplanation_(
          uiText("Larger resolutions will only be generated if their dimensions are smaller than "
                 "the source image's dimensions.",
                 "Settings dialog explanatory text for when resolutions option is set to 'Using "
                 "defined size as lowest resolution'"))
    , maxResolutionSupportedByImageExplanation_(
          uiText("The resolution generated will be the largest multiple of the size defined in "
                 "the resize section.",
                 "Settings dialog explanatory text for when resolutions option is set to 'Max "
                 "resolution possible for defined size'")) {
    auto* popUp = generateOtherResolutionsPopUpButton_;
    popUp->addItem(uiText("Defined size only", "Output resolutions choice"));
    popUp->insertSeparator(1);
    popUp->addItem(uiText("Using defined size as highest resolution", "Output resolutions choice"));
    popUp->addItem(uiText("Using defined size as lowest resolution", "Output resolutions choice"));
    popUp->insertSeparator(4);
    popUp->addItem(uiText("Max resolution possible for defined size", "Output resolutions choice"));
    QObject::connect(popUp, &QComboBox::activated, this,
                     [this] { generateOtherResolutionsChanged(); });

    explanationLabel_->setWordWrap(true);
    explanationLabel_->setFixedWidth(explanationWidth);
    explanationLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont small = explanationLabel_->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    explanationLabel_->setFont(small);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(popUp, 0, Qt::AlignLeft);
    layout->addWidget(popUpButtonBottomToExplanationLabelTopSpacer_);
    layout->addWidget(explanationLabel_);

    popUpButtonBottomToExplanationLabelTopConstraint_.setConstant(explanationSpacing);
    popUpButtonBottomToExplanationLabelTopLengthIfShown_ = explanationSpacing;
    updateExplanationText();
    explanationLabelHeightConstraint_.setConstant(explanationHeight());
}

std::optional<ResolutionConfig> ExportResolutionViewController::resolutionConfig() const {
    switch (generateOtherResolutionsPopUpButton_->currentIndex()) {
    case maxPredefinedSizeIndex:
        return ResolutionConfig::defaultResolutionsWithMaxPredefinedSize;
    case minPredefinedSizeIndex:
        return ResolutionConfig::defaultResolutionsWithMinPredefinedSize;
    case maxSupportedResolutionIndex:
        return ResolutionConfig::defaultResolutionsWithMaxSupportedResolutionForImage;
    default:
        return std::nullopt;
    }
}

void ExportResolutionViewController::pushResolutionConfig(
    std::optional<ResolutionConfig> resolution) {
    externalDataPushInProgress_ = true;
    int index = definedSizeOnlyIndex;
    if (resolution) {
        switch (*resolution) {
        case ResolutionConfig::defaultResolutionsWithMaxPredefinedSize:
            index = maxPredefinedSizeIndex;
            break;
        case ResolutionConfig::defaultResolutionsWithMinPredefinedSize:
            index = minPredefinedSizeIndex;
            break;
        case ResolutionConfig::defaultResolutionsWithMaxSupportedResolutionForImage:
            index = maxSupportedResolutionIndex;
            break;
        }
    }
    generateOtherResolutionsPopUpButton_->setCurrentIndex(index);
    updateExplanationText();
    updateExplanationVisibility();
    externalDataPushInProgress_ = false;
}

void ExportResolutionViewController::generateOtherResolutionsChanged() {
    if (delegate_) {
        delegate_->exportResolutionChanged(resolutionConfig(), !externalDataPushInProgress_);
    }
    updateExplanationText();
    updateExplanationVisibility();
}

void ExportResolutionViewController::updateExplanationText() {
    switch (generateOtherResolutionsPopUpButton_->currentIndex()) {
    case minPredefinedSizeIndex:
        explanationLabel_->setText(largerResolutionsExplanation_);
        break;
    case maxSupportedResolutionIndex:
        explanationLabel_->setText(maxResolutionSupportedByImageExplanation_);
        break;
    default:
        break;
    }
}

void ExportResolutionViewController::updateExplanationVisibility() {
    const int index = generateOtherResolutionsPopUpButton_->currentIndex();
    const bool explained = index == minPredefinedSizeIndex || index == maxSupportedResolutionIndex;
    setExplanationHidden(!explained, viewOnscreen_);
}

bool ExportResolutionViewController::isExplanationShown() const {
    return explanationLabelHeightConstraint_.constant() > 0;
}

void ExportResolutionViewController::setExplanationHidden(bool hidden, bool animated) {
    if (animated) {
        animateExplanationHidden(hidden);
        return;
    }
    explanationLabelHeightConstraint_.setConstant(hidden ? 0 : explanationHeight());
    popUpButtonBottomToExplanationLabelTopConstraint_.setConstant(
        hidden ? 0 : popUpButtonBottomToExplanationLabelTopLengthIfShown_);
}

void ExportResolutionViewController::animateExplanationHidden(bool hidden) {
    endEditing(this);
    explanationLabelHeightConstraint_.animateConstant(hidden ? 0 : explanationHeight());
    popUpButtonBottomToExplanationLabelTopConstraint_.animateConstant(
        hidden ? 0 : popUpButtonBottomToExplanationLabelTopLengthIfShown_);
}

int ExportResolutionViewController::explanationHeight() const {
    // An empty label has no height of its own.
    return std::max(0, explanationLabel_->heightForWidth(explanationWidth));
}

void ExportResolutionViewController::showEvent(QShowEvent* event) {
    viewOnscreen_ = true;
    QWidget::showEvent(event);
}

void ExportResolutionViewController::hideEvent(QHideEvent* event) {
    viewOnscreen_ = false;
    QWidget::hideEvent(event);
}

} // namespace orlix
