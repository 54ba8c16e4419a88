#include "App/CommandLine.h"

#include "Platform/Url.h"

namespace orlix {

namespace {

std::optional<std::string> pathOf(const std::string& word) {
    if (!word.starts_with("file:")) {
        return word;
    }
    const auto url = Url::parse(word);
    if (!url || !url->isFileUrl()) {
        return std::nullopt;
    }
    return url->path().string();
}

} // namespace

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
    CommandLine line;
    line.arguments = arguments;
    bool onlyFiles = false;
    for (const auto& word : arguments) {
        if (!onlyFiles && word == "--") {
            onlyFiles = true;
            continue;
        }
        if ((onlyFiles || !word.starts_with("-")) && !word.empty()) {
            if (const auto path = pathOf(word)) {
                line.paths.push_back(*path);
            }
        }
    }
    return line;
}

} // namespace orlix
