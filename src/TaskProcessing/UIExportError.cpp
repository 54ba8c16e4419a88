#include "TaskProcessing/UIExportError.h"

#include "TaskProcessing/UIError.h"

namespace orlix {

namespace {

// Applies `text` to the error when its type adopts UIError; empty otherwise.
template <typename Text> std::string textOf(const std::any& error, Text text) {
    if (const auto* png = std::any_cast<PNGExportError>(&error)) {
        return text(UIError<PNGExportError>{}, *png);
    }
    if (const auto* jpeg = std::any_cast<JPEGExportError>(&error)) {
        return text(UIError<JPEGExportError>{}, *jpeg);
    }
    return {};
}

} // namespace

std::string UIExportError::errorString() const {
    return textOf(error, [](auto adoption, const auto& value) {
        return decltype(adoption)::errorString(value);
    });
}

std::string UIExportError::explanationString() const {
    return textOf(error, [](auto adoption, const auto& value) {
        return decltype(adoption)::explanationString(value);
    });
}

} // namespace orlix
