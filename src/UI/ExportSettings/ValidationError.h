#pragma once

#include <QString>

namespace orlix {

enum class CreatePresetValidationErrorType { presetTitleEmpty, presetTitleExists };

// Why a preset title was refused, with the texts of its alert. Errors of the create-preset sheet
// are of the domain "OrlixErrorDomain", with the code 1000 plus the type's position.
struct ValidationError {
    static constexpr const char* domain = "OrlixErrorDomain";

    CreatePresetValidationErrorType type;

    int code() const { return 1000 + int(type); }
    QString errorMessage() const;
    QString recoveryMessage() const;

    bool operator==(const ValidationError&) const = default;
};

} // namespace orlix
