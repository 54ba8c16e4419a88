#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace orlix {

using Localizer = std::function<std::string(std::string_view text, std::string_view comment)>;

// The user text in the user's language. Core returns the text as it stands; the desktop programs
// install a localizer backed by their translation catalogue, with the comment as disambiguation.
std::string localized(std::string_view text, std::string_view comment);
void setLocalizer(Localizer localizer);

} // namespace orlix
