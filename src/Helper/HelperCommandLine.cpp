#include "Helper/HelperCommandLine.h"

#include <algorithm>
#include <cctype>

namespace orlix::helper {

namespace {

// "scheme://..." as a file manager passes a remote file; a name with a colon stays a name.
bool isOtherUri(std::string_view word) {
    const auto end = word.find("://");
    if (end == std::string_view::npos || end == 0 ||
        !std::isalpha(static_cast<unsigned char>(word[0]))) {
        return false;
    }
    return std::all_of(word.begin(), word.begin() + static_cast<std::ptrdiff_t>(end), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    });
}

std::optional<Url> fileOf(const std::string& word, const std::filesystem::path& folder) {
    if (word.empty()) {
        return std::nullopt;
    }
    if (word.starts_with("file:")) {
        auto url = Url::parse(word);
        return url && url->isFileUrl() ? url : std::nullopt;
    }
    if (isOtherUri(word)) {
        return std::nullopt;
    }
    const std::filesystem::path path(word);
    if (path.is_absolute()) {
        return Url::fileUrl(path.lexically_normal());
    }
    if (folder.empty()) {
        return std::nullopt;
    }
    return Url::fileUrl((folder / path).lexically_normal());
}

} // namespace

std::vector<Url> HelperCommandLine::filesOf(const std::vector<std::string>& words,
                                            const std::filesystem::path& folder) {
    std::vector<Url> files;
    for (const auto& word : words) {
        if (auto file = fileOf(word, folder)) {
            files.push_back(std::move(*file));
        }
    }
    return files;
}

HelperCommandLine HelperCommandLine::parse(const std::vector<std::string>& arguments,
                                           const std::filesystem::path& folder) {
    HelperCommandLine commandLine;
    if (arguments.empty()) {
        return commandLine;
    }
    const auto entry = arguments.size() >= 2 && arguments[0] == "--service"
                           ? ServiceProvider::entryNamed(arguments[1])
                           : std::nullopt;
    if (!entry) {
        commandLine.mode = Mode::invalid;
        return commandLine;
    }
    commandLine.mode = Mode::service;
    commandLine.serviceEntry = *entry;
    // A file manager may pass "--" before the files; every word after it is a file.
    auto first = arguments.begin() + 2;
    if (first != arguments.end() && *first == "--") {
        ++first;
    }
    commandLine.files = filesOf({first, arguments.end()}, folder);
    return commandLine;
}

} // namespace orlix::helper
