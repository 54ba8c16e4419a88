#pragma once

#include "Platform/Localization.h"

#include <QString>

namespace orlix {

// A user text of a window in the user's language.
inline QString localizedText(const char* text, const char* comment) {
    return QString::fromStdString(localized(text, comment));
}

} // namespace orlix
