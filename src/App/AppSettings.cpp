#include "App/AppSettings.h"

namespace orlix {

AppSettings AppSettings::read(const ArgumentsParser& arguments) {
    AppSettings settings;
    settings.forceRestartHelper = arguments.hasArgument(forceRestartHelperSwitch);
    settings.uninstallHelper = arguments.hasArgument(uninstallHelperSwitch);
    settings.noHelperInstall = arguments.hasArgument(noHelperInstallSwitch);
    return settings;
}

bool AppSettings::isSwitch(const std::string& argument) {
    const ArgumentsParser word({argument});
    return word.hasArgument(forceRestartHelperSwitch) || word.hasArgument(uninstallHelperSwitch) ||
           word.hasArgument(noHelperInstallSwitch);
}

std::optional<OSIntegrationManager::LoginItemUpdate> AppSettings::loginItemUpdate() const {
    using Update = OSIntegrationManager::LoginItemUpdate;
    if (noHelperInstall) {
        return std::nullopt;
    }
    if (uninstallHelper) {
        return Update::uninstall;
    }
    return forceRestartHelper ? Update::terminateAndInstall : Update::install;
}

void AppSettings::apply(const OSIntegrationManager::System& system) const {
    if (const auto update = loginItemUpdate()) {
        OSIntegrationManager(system).perform(*update);
    }
}

} // namespace orlix
