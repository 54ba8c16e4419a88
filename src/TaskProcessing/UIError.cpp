#include "TaskProcessing/UIError.h"

#include "Platform/Localization.h"
#include "TaskProcessing/CommonImageExportError.h"

namespace orlix {

std::string UIError<PNGExportError>::errorString(const PNGExportError& error) {
    if (const auto common = CommonImageExportError::from(error)) {
        return common->errorString();
    }
    if (error.kind == PNGExportError::Kind::pngOptimizationFailed) {
        return localized("Unable to optimize PNG", "Error string presented in the activity UI if "
                                                   "an error occurred while trying to optimize "
                                                   "the PNG.");
    }
    return localized("Unable to generate PNG",
                     "Error string presented in the activity UI if an error occurred while trying "
                     "to generate PNG data to be written to a file.");
}

std::string UIError<PNGExportError>::explanationString(const PNGExportError& error) {
    const auto common = CommonImageExportError::from(error);
    return common ? common->explanationString() : std::string();
}

std::string UIError<JPEGExportError>::errorString(const JPEGExportError& error) {
    if (const auto common = CommonImageExportError::from(error)) {
        return common->errorString();
    }
    return localized("Unable to create JPEG",
                     "Error string presented in the activity UI if an error occurred while trying "
                     "to generate JPEG data to be written to a file.");
}

std::string UIError<JPEGExportError>::explanationString(const JPEGExportError& error) {
    const auto common = CommonImageExportError::from(error);
    return common ? common->explanationString() : std::string();
}

} // namespace orlix
