#pragma once

namespace orlix {

// The software-update framework as the application uses it.
class Updater {
public:
    virtual ~Updater() = default;
    // Looks for an update without showing anything unless one is found.
    virtual void checkForUpdatesInBackground() = 0;
    // The user's choice of automatic update checks, kept across launches.
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool checks) = 0;
};

} // namespace orlix
