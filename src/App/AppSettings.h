#pragma once

#include "App/ArgumentsParser.h"
#include "App/OSIntegrationManager.h"

#include <optional>

namespace orlix {

// The switches that look after the login item, read once per launch.
struct AppSettings {
    static constexpr const char* forceRestartHelperSwitch = "-force-restart-helper";
    static constexpr const char* uninstallHelperSwitch = "-uninstall-helper";
    static constexpr const char* noHelperInstallSwitch = "-no-helper-install";

    bool forceRestartHelper = false;
    bool uninstallHelper = false;
    bool noHelperInstall = false;

    static AppSettings read(const ArgumentsParser& arguments);
    // Whether the word is one of the three switches.
    static bool isSwitch(const std::string& argument);

    // "-no-helper-install" overrides the rest, and removing wins over restarting.
    std::optional<OSIntegrationManager::LoginItemUpdate> loginItemUpdate() const;
    // Performs the update the switches ask for, or nothing.
    void apply(const OSIntegrationManager::System& system) const;
};

} // namespace orlix
