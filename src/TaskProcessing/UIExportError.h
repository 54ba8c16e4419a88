#pragma once

#include <any>
#include <string>

namespace orlix {

// The user texts of whatever error a task ended with: those of an error that adopts UIError, and
// empty texts for no error or any other kind, so a failure is always listable.
struct UIExportError {
    std::any error;

    std::string errorString() const;
    std::string explanationString() const;
};

} // namespace orlix
