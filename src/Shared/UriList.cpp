#include "Shared/UriList.h"

namespace orlix {

std::vector<Url> UriList::fileUrls(std::string_view text) {
    std::vector<Url> urls;
    while (!text.empty()) {
        const auto end = text.find('\n');
        auto line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        // Blanks are never part of a URI (a name's spaces are escaped), so a sloppy sender's
        // padding and the CR of CRLF go alike.
        constexpr std::string_view blanks = " \t\r\f\v";
        const auto first = line.find_first_not_of(blanks);
        line = first == std::string_view::npos
                   ? std::string_view()
                   : line.substr(first, line.find_last_not_of(blanks) - first + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (auto url = Url::parse(line); url && url->isFileUrl()) {
            urls.push_back(std::move(*url));
        }
    }
    return urls;
}

} // namespace orlix
