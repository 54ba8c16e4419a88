#pragma once

#include "Platform/Localization.h"

#include <QString>

#include <string_view>

namespace orlix {

// A user text of the export-settings window in the user's language.
inline QString uiText(std::string_view text, std::string_view comment) {
    return QString::fromStdString(localized(text, comment));
}

} // namespace orlix
