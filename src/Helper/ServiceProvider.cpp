#include "Helper/ServiceProvider.h"

#include "Helper/LaunchEnvironment.h"

#include <utility>

namespace orlix::helper {

ServiceProvider::ServiceProvider(std::shared_ptr<LaunchEnvironment> environment)
    : environment_(std::move(environment)) {}

std::optional<ServiceProvider::SettingsType> ServiceProvider::entryNamed(std::string_view name) {
    if (name == "quickOptimize") {
        return SettingsType::quickOptimize;
    }
    if (name == "resizeAndOptimize") {
        return SettingsType::resizeAndOptimize;
    }
    if (name == "usePreviousSettings") {
        return SettingsType::usePreviousSettings;
    }
    return std::nullopt;
}

bool ServiceProvider::quickOptimize(const std::vector<Url>& urls) {
    return perform(SettingsType::quickOptimize, urls);
}

bool ServiceProvider::resizeAndOptimize(const std::vector<Url>& urls) {
    return perform(SettingsType::resizeAndOptimize, urls);
}

bool ServiceProvider::usePreviousSettings(const std::vector<Url>& urls) {
    return perform(SettingsType::usePreviousSettings, urls);
}

bool ServiceProvider::perform(SettingsType settingsType, const std::vector<Url>& urls) {
    return CoreApplicationLauncher{urls, settingsType}.launch(*environment_);
}

} // namespace orlix::helper
