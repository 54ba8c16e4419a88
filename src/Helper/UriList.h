#pragma once

#include "Platform/Url.h"

#include <string_view>
#include <vector>

namespace orlix::helper {

// A text/uri-list as drag sources send it: one URI per line (CRLF, a bare LF accepted), lines
// starting with "#" are comments. Only local file URIs are kept, percent-decoded.
class UriList {
public:
    static std::vector<Url> fileUrls(std::string_view text);
};

} // namespace orlix::helper
