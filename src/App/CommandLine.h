#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orlix {

// What a launch asks for: files to open and the launch arguments that choose their settings.
struct CommandLine {
    // Asked of the program itself; answered on standard output without a window.
    enum class Request { run, help, version };

    Request request = Request::run;
    // Local paths, in order.
    std::vector<std::string> paths;
    // Every argument as given, for the settings type ("-quick-optimize", "-last-used-settings").
    std::vector<std::string> arguments;

    // Words without a leading dash, and every word after "--", name files; "file:" URIs are
    // accepted when they name a local file (no host, or "localhost"). Other URIs are dropped.
    // "--help" and "--version" before "--" ask for the usage and the version; the first one
    // given wins.
    static CommandLine parse(const std::vector<std::string>& arguments);

    // The text that answers the request: the usage or the version line.
    static std::string answer(Request request);
};

} // namespace orlix
