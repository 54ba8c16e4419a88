#include "UI/ExportSettings/BoundedNumberField.h"

#include "UI/ExportSettings/ExportSettingsText.h"

#include <QRegularExpressionValidator>
#include <QToolTip>

namespace orlix {

BoundedNumberField::BoundedNumberField(std::uint32_t minimum, std::uint32_t maximum,
                                       bool allowsEmpty, QWidget* parent)
    : QLineEdit(parent)
    , minimum_(minimum)
    , maximum_(maximum)
    , allowsEmpty_(allowsEmpty) {
    // Ten digits hold every 32-bit number; the bounds are checked when the editing ends.
    setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,10}"), this));
    setAlignment(Qt::AlignRight);
    QObject::connect(this, &QLineEdit::editingFinished, this, [this] {
        if (std::optional<std::uint32_t> parsed; parse(text(), parsed)) {
            commitEditing();
        }
    });
}

void BoundedNumberField::setValue(std::optional<std::uint32_t> value) {
    value_ = value;
    setText(value ? QString::number(*value) : QString());
}

bool BoundedNumberField::parse(const QString& text, std::optional<std::uint32_t>& value) const {
    const QString trimmed = text.trimmed();
    value.reset();
    if (trimmed.isEmpty()) {
        return allowsEmpty_;
    }
    bool ok = false;
    const qulonglong number = trimmed.toULongLong(&ok);
    if (!ok || number < minimum_ || number > maximum_) {
        return false;
    }
    value = std::uint32_t(number);
    return true;
}

bool BoundedNumberField::commitEditing() {
    std::optional<std::uint32_t> parsed;
    if (!parse(text(), parsed)) {
        refuse();
        return false;
    }
    const bool changed = parsed != value_;
    setValue(parsed);
    if (changed && valueCommitted) {
        valueCommitted(parsed);
    }
    return true;
}

void BoundedNumberField::refuse() {
    setFocus(Qt::OtherFocusReason);
    selectAll();
    const QString hint =
        allowsEmpty_
            ? uiText("Enter a whole number from %1 to %2, or leave the field empty.",
                     "Hint at a size field of the export settings window that holds no valid "
                     "number")
            : uiText("Enter a whole number from %1 to %2.",
                     "Hint at a number field of the export settings window that holds no valid "
                     "number");
    QToolTip::showText(mapToGlobal(rect().bottomLeft()), hint.arg(minimum_).arg(maximum_), this);
}

} // namespace orlix
