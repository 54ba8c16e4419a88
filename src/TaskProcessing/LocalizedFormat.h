#pragma once

#include <string>
#include <string_view>

namespace orlix {

// Fills the one argument of a format that came back from the translation catalogue: "%d" or "%@"
// (also written positionally, "%1$d" or "%1$@") takes the already formatted argument and "%%"
// becomes "%". Translations are data, so they never reach printf: a translator's stray "%s" is
// left in the text instead of reading memory that was never passed.
std::string localizedFormat(std::string_view format, std::string_view argument);

} // namespace orlix
