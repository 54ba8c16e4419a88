#include "UI/ExportSettings/ValidationError.h"

#include "UI/ExportSettings/ExportSettingsText.h"

namespace orlix {

QString ValidationError::errorMessage() const {
    switch (type) {
    case CreatePresetValidationErrorType::presetTitleEmpty:
        return uiText("The title must not be empty.",
                      "Error message in the create preset sheet when the preset title is left "
                      "empty.");
    case CreatePresetValidationErrorType::presetTitleExists:
        break;
    }
    return uiText(
        "The entered title already exists.",
        "Error message in the create preset sheet when the preset title already exists .");
}

QString ValidationError::recoveryMessage() const {
    switch (type) {
    case CreatePresetValidationErrorType::presetTitleEmpty:
        return uiText("Please enter a valid title.",
                      "Recovery message in the create preset sheet when the preset title is left "
                      "empty.");
    case CreatePresetValidationErrorType::presetTitleExists:
        break;
    }
    return uiText("Please enter a unique title.",
                  "Recovery message in the create preset sheet when the preset title already "
                  "exists.");
}

} // namespace orlix
