#pragma once

#include <string>
#include <string_view>

namespace orlix {

// Routes localized(text, comment) to Qt's installed translators, in the "Orlix" context with the
// comment as disambiguation.
class QtLocalizer {
public:
    QtLocalizer() = delete;

    static void install();
    static std::string translate(std::string_view text, std::string_view comment);
};

} // namespace orlix
