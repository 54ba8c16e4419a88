#include "App/CommandLine.h"

#include "App/AppSettings.h"
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

std::optional<CommandLine::Request> requestOf(const std::string& word) {
    if (word == "--help") {
        return CommandLine::Request::help;
    }
    if (word == "--version") {
        return CommandLine::Request::version;
    }
    return std::nullopt;
}

constexpr const char* kUsage =
    R"(Usage: orlix [-quick-optimize | -last-used-settings] [--] [FILE...]

Makes PNG and JPEG images smaller. Each output is a new file beside its input, named after it
with "-orlix" (photo.jpg gives photo-orlix.jpg); no input and no existing file is ever changed.

Without files, Orlix opens its drop window and stays open. With files, it processes them and
quits when they are done; it stays open when an image failed. When Orlix is already running,
the files are handed to it.

  -quick-optimize      make the images smaller without resizing them
  -last-used-settings  use the export settings of the previous run
                       (without either, Orlix asks for the export settings)
  -no-helper-install   leave the helper's login item as it is
  -uninstall-helper    remove the login item that starts the helper, and end the helper
  -force-restart-helper  restart the helper even when it is of this version
  --                   every word after it is a file
  --help               print this help and exit
  --version            print the version and exit

Files may be given as paths or as local file:// URIs. Every start makes sure that the helper,
which shows Orlix's drop zones while image files are dragged anywhere, starts at login and runs
in this version.
)";

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
        // The login item's switches count with spaces around them too; they are never files.
        if (!onlyFiles && AppSettings::isSwitch(word)) {
            continue;
        }
        if (!onlyFiles && line.request == Request::run) {
            line.request = requestOf(word).value_or(Request::run);
        }
        if ((onlyFiles || !word.starts_with("-")) && !word.empty()) {
            if (const auto path = pathOf(word)) {
                line.paths.push_back(*path);
            }
        }
    }
    return line;
}

std::string CommandLine::answer(Request request) {
    switch (request) {
    case Request::help:
        return kUsage;
    case Request::version:
        return "orlix " ORLIX_VERSION "\n";
    case Request::run:
        break;
    }
    return {};
}

} // namespace orlix
