#pragma once

#include "Export/JPEGExportError.h"
#include "Export/PNGExportError.h"

#include <string>

namespace orlix {

// The user texts of an error: the main text, shown as a row's status, and the explanation, shown
// on its second line and empty when there is none. An error type adopts it by specialisation;
// only the export errors do, so only they ever reach the user with words.
template <typename Error> struct UIError;

template <> struct UIError<PNGExportError> {
    static std::string errorString(const PNGExportError& error);
    static std::string explanationString(const PNGExportError& error);
};

template <> struct UIError<JPEGExportError> {
    static std::string errorString(const JPEGExportError& error);
    static std::string explanationString(const JPEGExportError& error);
};

} // namespace orlix
