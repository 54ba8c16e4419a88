#include "Helper/CoreApplicationLauncher.h"

#include "Helper/ImagesAddedNotifier.h"
#include "Helper/LaunchEnvironment.h"

namespace orlix::helper {

std::vector<std::string> CoreApplicationLauncher::launchArguments(SettingsType settingsType) {
    switch (settingsType) {
    case SettingsType::quickOptimize:
        return {quickOptimizeArgument};
    case SettingsType::usePreviousSettings:
        return {lastUsedSettingsArgument};
    case SettingsType::resizeAndOptimize:
        break;
    }
    return {};
}

bool CoreApplicationLauncher::launch(LaunchEnvironment& environment) const {
    if (!environment.isRunning(coreApplicationBundleId)) {
        return start(environment);
    }
    environment.activate(coreApplicationBundleId);
    ImagesAddedNotifier{paths(), launchArguments(settingsType)}.post(
        environment.distributedCenter());
    return true;
}

std::vector<std::string> CoreApplicationLauncher::paths() const {
    std::vector<std::string> result;
    result.reserve(imageURLs.size());
    for (const auto& url : imageURLs) {
        if (url.isFileUrl()) {
            result.push_back(url.path().string());
        }
    }
    return result;
}

// Every word after "--" is a file for the main application, even one that starts with a dash.
bool CoreApplicationLauncher::start(LaunchEnvironment& environment) const {
    auto arguments = launchArguments(settingsType);
    arguments.emplace_back("--");
    for (auto& path : paths()) {
        arguments.push_back(std::move(path));
    }
    for (const auto& program : environment.candidatePrograms()) {
        if (environment.start(program, arguments)) {
            return true;
        }
    }
    return false;
}

} // namespace orlix::helper
