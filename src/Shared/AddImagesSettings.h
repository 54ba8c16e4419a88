#pragma once

#include "Platform/Url.h"

#include <string>
#include <vector>

namespace orlix {

// One request to add images: the files and how their export settings are chosen.
struct AddImagesSettings {
    enum class SettingsType { quickOptimize, resizeAndOptimize, usePreviousSettings };

    // The settings type the launch arguments ask for: the first argument that is one of the two
    // known options (surrounding spaces and tabs ignored, case-sensitive) decides; otherwise the
    // user is asked.
    static SettingsType settingsTypeFromArguments(const std::vector<std::string>& arguments);

    std::vector<Url> urls;
    SettingsType settingsType = SettingsType::resizeAndOptimize;
};

} // namespace orlix
