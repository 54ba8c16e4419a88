#pragma once

#include "Helper/ServiceProvider.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orlix::helper {

// The helper's command line: nothing starts the background helper;
// "--service ENTRY FILE..." hands the files over once and exits.
struct HelperCommandLine {
    enum class Mode { background, service, invalid };

    Mode mode = Mode::background;
    ServiceProvider::SettingsType serviceEntry = ServiceProvider::SettingsType::resizeAndOptimize;
    std::vector<Url> files;

    // Files are paths or file URIs; relative paths are taken against `folder`. Other URIs are
    // not files and are dropped.
    static HelperCommandLine parse(const std::vector<std::string>& arguments,
                                   const std::filesystem::path& folder);
    static std::vector<Url> filesOf(const std::vector<std::string>& words,
                                    const std::filesystem::path& folder);
};

} // namespace orlix::helper
