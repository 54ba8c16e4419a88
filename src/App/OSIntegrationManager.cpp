#include "App/OSIntegrationManager.h"

#include "Platform/MainQueue.h"
#include "Shared/SharedDefinitions.h"

namespace orlix {

void OSIntegrationManager::perform(LoginItemUpdate update) {
    switch (update) {
    case LoginItemUpdate::install:
        installLoginItem(false);
        break;
    case LoginItemUpdate::terminateAndInstall:
        installLoginItem(true);
        break;
    case LoginItemUpdate::uninstall:
        system_.loginItems->setLoginItemEnabled(false);
        terminateHelperProcesses();
        break;
    }
}

void OSIntegrationManager::installLoginItem(bool terminateRunning) {
    const auto copies = system_.runningApplications->runningApplications(loginItemBundleIdentifier);
    if (copies.empty()) {
        system_.loginItems->setLoginItemEnabled(false);
    }
    for (const auto& copy : copies) {
        if (mustGo(copy, terminateRunning)) {
            system_.loginItems->setLoginItemEnabled(false);
            system_.runningApplications->terminate(copy);
        }
    }
    enableLoginItemLater();
}

// Versions are compared as plain strings: an older and a newer copy are equally out of place,
// and a copy or an application that names no version is trusted.
bool OSIntegrationManager::mustGo(const RunningApplication& copy, bool terminateRunning) const {
    if (terminateRunning || !copy.bundleOpens) {
        return true;
    }
    return copy.bundleVersion && system_.bundleVersion &&
           *copy.bundleVersion != *system_.bundleVersion;
}

void OSIntegrationManager::enableLoginItem() {
    system_.loginItems->setLoginItemEnabled(true);
}

// The disabling and the enabling always come in separate turns of the main loop.
void OSIntegrationManager::enableLoginItemLater() {
    MainQueue::async([system = system_] { OSIntegrationManager(system).enableLoginItem(); });
}

void OSIntegrationManager::terminateHelperProcesses() {
    for (const char* identifier : {loginItemBundleIdentifier, helperBundleIdentifier}) {
        for (const auto& copy : system_.runningApplications->runningApplications(identifier)) {
            system_.runningApplications->terminate(copy);
        }
    }
}

} // namespace orlix
