#pragma once

#include "Platform/Url.h"

#include <string_view>
#include <vector>

namespace orlix {

// A text/uri-list as drag sources send it, read the same for drops on Orlix's windows and for the
// helper's drags: one URI per line (CRLF, a bare LF accepted, blanks around a URI ignored), lines
// starting with "#" are comments. Only local file URIs are kept, percent-decoded, judged by the
// same rules as a URL on the command line.
class UriList {
public:
    static std::vector<Url> fileUrls(std::string_view text);
};

} // namespace orlix
