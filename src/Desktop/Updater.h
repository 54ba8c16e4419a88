#pragma once

#include <functional>

namespace orlix {

// The software-update framework as the application uses it.
class Updater {
public:
    struct Delegate {
        std::function<bool()> mayCheckForUpdates;
        std::function<void()> didFindValidUpdate;
        std::function<void()> willShowModalAlert;
        std::function<void()> didShowModalAlert;
    };

    virtual ~Updater() = default;
    virtual void setDelegate(Delegate delegate) = 0;
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool checks) = 0;
    virtual bool automaticallyDownloadsUpdates() const = 0;
    virtual void checkForUpdatesInBackground() = 0;
    virtual void checkForUpdateInformation() = 0;
    virtual void checkForUpdates() = 0;
    virtual bool canCheckForUpdates() const = 0;
};

} // namespace orlix
