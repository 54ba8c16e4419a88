#pragma once

#include "Platform/Url.h"
#include "Shared/AddImagesSettings.h"
#include "Shared/SharedDefinitions.h"

#include <string>
#include <vector>

namespace orlix::helper {

class LaunchEnvironment;

// Hands files to the main application: a running one is brought forward and told with the
// images-added notification; otherwise it is started with the files on its command line.
struct CoreApplicationLauncher {
    using SettingsType = AddImagesSettings::SettingsType;

    std::vector<Url> imageURLs;
    SettingsType settingsType = SettingsType::resizeAndOptimize;
    std::string coreApplicationBundleId = applicationBundleIdentifier;

    static std::vector<std::string> launchArguments(SettingsType settingsType);

    // Only file URLs are handed over. True when the running application was told, or a start of it
    // succeeded.
    bool launch(LaunchEnvironment& environment) const;

private:
    std::vector<std::string> paths() const;
    bool start(LaunchEnvironment& environment) const;
};

} // namespace orlix::helper
