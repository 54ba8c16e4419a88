#include "UI/ExportSettings/FixedResizeViewController.h"

#include "UI/ExportSettings/BoundedNumberField.h"
#include "UI/ExportSettings/ExportSettingsText.h"
#include "UI/ExportSettings/FixedResizeViewControllerDelegate.h"

#include <QGridLayout>
#include <QLabel>

namespace orlix {

FixedResizeViewController::FixedResizeViewController(QWidget* parent)
    : QWidget(parent)
    , widthField_(new BoundedNumberField(minWidth, maxWidth, true, this))
    , heightField_(new BoundedNumberField(minHeight, maxHeight, true, this)) {
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 4, 0, 4);
    const auto addRow = [this, layout](int row, const QString& title, BoundedNumberField* field) {
        auto* label = new QLabel(title, this);
        label->setBuddy(field);
        field->setFixedWidth(80);
        field->setPlaceholderText(
            uiText("Auto", "Placeholder of an empty size field: chosen from the other side"));
        layout->addWidget(label, row, 0);
        layout->addWidget(field, row, 1);
        layout->addWidget(new QLabel(uiText("pixels", "Unit after a size field"), this), row, 2);
    };
    addRow(0, uiText("&Width:", "Label of the resize width field"), widthField_);
    addRow(1, uiText("&Height:", "Label of the resize height field"), heightField_);
    layout->setColumnStretch(3, 1);
    widthField_->valueCommitted = [this](auto width) { setResizeWidth(width); };
    heightField_->valueCommitted = [this](auto height) { setResizeHeight(height); };
}

void FixedResizeViewController::setResizeWidth(std::optional<std::uint32_t> width) {
    resizeWidth_ = width;
    widthField_->setValue(width);
    notifyDelegate();
}

void FixedResizeViewController::setResizeHeight(std::optional<std::uint32_t> height) {
    resizeHeight_ = height;
    heightField_->setValue(height);
    notifyDelegate();
}

void FixedResizeViewController::setFixedResizeUIType(const FixedResizeUIType& type) {
    externalDataPushInProgress_ = true;
    setResizeWidth(type.width);
    setResizeHeight(type.height);
    externalDataPushInProgress_ = false;
}

void FixedResizeViewController::notifyDelegate() {
    if (delegate_) {
        delegate_->fixedResizeChanged(fixedResizeUIType(), !externalDataPushInProgress_);
    }
}

} // namespace orlix
