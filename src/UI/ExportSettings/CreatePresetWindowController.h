#pragma once

#include "UI/ExportSettings/ValidationError.h"

#include <QDialog>
#include <QMessageBox>
#include <QPointer>

#include <optional>
#include <string>
#include <vector>

class QLineEdit;

namespace orlix {

// The sheet that asks for the title of a new preset. OK ends it with 1 once the title, trimmed
// of spaces and tabs, is neither empty nor taken; otherwise an alert tells why and the title
// field has the focus again. Cancel ends it with 0.
class CreatePresetWindowController : public QDialog {
public:
    explicit CreatePresetWindowController(QWidget* parent);

    const std::string& newPresetTitle() const { return newPresetTitle_; }
    void setInvalidTitles(std::vector<std::string> titles) { invalidTitles_ = std::move(titles); }

    void doOK();
    void doCancel();

    // No error when the title may be used.
    std::optional<ValidationError> validatePresetTitle(const std::string& title) const;

    QLineEdit* presetTitleTextField() const { return presetTitleTextField_; }
    // The alert about the last refused title while it is up.
    QMessageBox* errorAlert() const { return errorAlert_; }

private:
    void showError(const ValidationError& error);

    std::string newPresetTitle_;
    QLineEdit* presetTitleTextField_;
    std::vector<std::string> invalidTitles_;
    QPointer<QMessageBox> errorAlert_;
};

} // namespace orlix
