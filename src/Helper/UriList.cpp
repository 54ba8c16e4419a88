#include "Helper/UriList.h"

namespace orlix::helper {

std::vector<Url> UriList::fileUrls(std::string_view text) {
    std::vector<Url> urls;
    while (!text.empty()) {
        const auto end = text.find('\n');
        auto line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (auto url = Url::parse(line); url && url->isFileUrl()) {
            urls.push_back(std::move(*url));
        }
    }
    return urls;
}

} // namespace orlix::helper
