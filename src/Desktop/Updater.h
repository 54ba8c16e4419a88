#pragma once

#include "Desktop/UpdaterDelegate.h"
#include "Platform/ObservableProperty.h"

#include <chrono>
#include <memory>
#include <optional>

namespace orlix {

// The software-update framework as the application uses it. Main thread only.
class Updater {
public:
    using Date = std::chrono::system_clock::time_point;

    virtual ~Updater() = default;
    virtual void setDelegate(std::weak_ptr<UpdaterDelegate> delegate) = 0;
    // The user's choice of automatic update checks, kept across launches.
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool checks) = 0;
    // Absent when no check ever ran.
    virtual std::optional<Date> lastUpdateCheckDate() const = 0;
    virtual std::chrono::seconds updateCheckInterval() const = 0;
    virtual bool automaticallyDownloadsUpdates() const = 0;
    // Looks for an update without showing anything unless one is found.
    virtual void checkForUpdatesInBackground() = 0;
    // Only finds out whether an update exists, without any interface.
    virtual void checkForUpdateInformation() = 0;
    // The user asked: a check with the updater's own interface.
    virtual void checkForUpdates() = 0;
    // Whether the check-for-updates item may be enabled now.
    virtual bool validateMenuItem() const = 0;
    // Calls `changed` whenever validateMenuItem's answer may have changed, until the token goes.
    [[nodiscard]] virtual ObservableProperty<bool>::Token
    observeMenuItemValidation(ObservableProperty<bool>::Observer changed) = 0;
};

} // namespace orlix
