#include "UI/ExportSettings/PercentageResizeViewController.h"

#include "UI/ExportSettings/BoundedNumberField.h"
#include "UI/ExportSettings/ExportSettingsText.h"
#include "UI/ExportSettings/PercentageResizeViewControllerDelegate.h"

#include <QHBoxLayout>
#include <QLabel>

namespace orlix {

PercentageResizeViewController::PercentageResizeViewController(QWidget* parent)
    : QWidget(parent)
    , percentageField_(new BoundedNumberField(minPercentage, maxPercentage, false, this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 4);
    auto* label = new QLabel(uiText("Sc&ale:", "Label of the resize percentage field"), this);
    label->setBuddy(percentageField_);
    percentageField_->setFixedWidth(64);
    percentageField_->setValue(resizePercentage_);
    layout->addWidget(label);
    layout->addWidget(percentageField_);
    layout->addWidget(new QLabel(uiText("%", "Unit after the resize percentage field"), this));
    layout->addStretch();
    percentageField_->valueCommitted = [this](std::optional<std::uint32_t> value) {
        setResizePercentage(std::uint8_t(value.value_or(maxPercentage)));
    };
}

void PercentageResizeViewController::setResizePercentage(std::uint8_t percentage) {
    resizePercentage_ = percentage;
    percentageField_->setValue(percentage);
    if (delegate_) {
        delegate_->percentageResizeChanged(percentage, !externalDataPushInProgress_);
    }
}

} // namespace orlix
