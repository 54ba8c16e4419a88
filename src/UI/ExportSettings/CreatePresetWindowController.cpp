#include "UI/ExportSettings/CreatePresetWindowController.h"

#include "UI/ExportSettings/ExportSettingsText.h"
#include "UI/ExportSettings/PresetTitle.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace orlix {

CreatePresetWindowController::CreatePresetWindowController(QWidget* parent)
    : QDialog(parent)
    , presetTitleTextField_(new QLineEdit(this)) {
    setWindowTitle(uiText("Save Preset", "Title of the create preset sheet"));
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(
        uiText("Save the current settings as a preset &named:", "Label of the create preset sheet"),
        this);
    label->setBuddy(presetTitleTextField_);
    presetTitleTextField_->setMinimumWidth(300);
    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(uiText("Save", "Button of the create preset sheet"),
                                  QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    ok->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, this, [this] { doOK(); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, this, [this] { doCancel(); });
    layout->addWidget(label);
    layout->addWidget(presetTitleTextField_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CreatePresetWindowController::doOK() {
    newPresetTitle_ = presetTitleTextField_->text().toStdString();
    if (const auto error = validatePresetTitle(newPresetTitle_)) {
        showError(*error);
        return;
    }
    done(1);
}

void CreatePresetWindowController::doCancel() {
    done(0);
}

std::optional<ValidationError>
CreatePresetWindowController::validatePresetTitle(const std::string& title) const {
    const std::string trimmed = PresetTitle::trimmed(title);
    if (trimmed.empty()) {
        return ValidationError{CreatePresetValidationErrorType::presetTitleEmpty};
    }
    if (std::any_of(invalidTitles_.begin(), invalidTitles_.end(),
                    [&](const auto& invalid) { return PresetTitle::equal(invalid, trimmed); })) {
        return ValidationError{CreatePresetValidationErrorType::presetTitleExists};
    }
    return std::nullopt;
}

void CreatePresetWindowController::showError(const ValidationError& error) {
    auto* alert = new QMessageBox(QMessageBox::Warning, windowTitle(), error.errorMessage(),
                                  QMessageBox::Ok, this);
    alert->setInformativeText(error.recoveryMessage());
    alert->setWindowModality(Qt::WindowModal);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(alert, &QMessageBox::finished, this, [this] {
        presetTitleTextField_->setFocus(Qt::OtherFocusReason);
        presetTitleTextField_->selectAll();
    });
    errorAlert_ = alert;
    alert->open();
}

} // namespace orlix
