#pragma once

#include <string>
#include <string_view>

namespace orlix {

// Preset titles compare as their NFC forms: canonically equivalent titles are equal, and titles
// are ordered by the code points of those forms (so every upper-case ASCII letter sorts before
// every lower-case one), never by the user's locale.
class PresetTitle {
public:
    PresetTitle() = delete;

    static std::string normalized(std::string_view title);
    static bool equal(std::string_view a, std::string_view b);
    static bool less(std::string_view a, std::string_view b);
    // Without spaces and tabs at either end; line breaks stay.
    static std::string trimmed(std::string_view title);
};

} // namespace orlix
