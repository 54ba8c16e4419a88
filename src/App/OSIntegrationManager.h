#pragma once

#include "Desktop/LoginItemRegistry.h"
#include "Desktop/RunningApplications.h"

#include <memory>
#include <optional>
#include <string>

namespace orlix {

// Keeps the login item (which starts the helper at login) in order: enabled, and running in the
// build of this application; or, when asked, disabled with the helper's copies ended. Nothing of
// this is reported: the session's answers are not waited for beyond their own bounds.
class OSIntegrationManager {
public:
    enum class LoginItemUpdate { install, terminateAndInstall, uninstall };

    struct System {
        std::shared_ptr<LoginItemRegistry> loginItems;
        std::shared_ptr<RunningApplications> runningApplications;
        // This application's build; absent when it has none.
        std::optional<std::string> bundleVersion;
    };

    explicit OSIntegrationManager(System system)
        : system_(std::move(system)) {}

    void perform(LoginItemUpdate update);
    // Ends the copies that must go, then enables the login item one main-queue turn later.
    void installLoginItem(bool terminateRunning);
    void enableLoginItem();
    void terminateHelperProcesses();

private:
    bool mustGo(const RunningApplication& copy, bool terminateRunning) const;
    void enableLoginItemLater();

    System system_;
};

} // namespace orlix
