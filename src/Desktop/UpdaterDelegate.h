#pragma once

namespace orlix {

// What the updater asks and tells the application, on the main thread.
class UpdaterDelegate {
public:
    virtual ~UpdaterDelegate() = default;
    // Asked synchronously inside every check the updater was asked to start.
    virtual bool updaterMayCheckForUpdates() = 0;
    virtual bool updaterShouldPromptForPermissionToCheckForUpdates() = 0;
    virtual void updaterDidFindValidUpdate() = 0;
    // These two bracket every modal alert of the updater.
    virtual void updaterWillShowModalAlert() = 0;
    virtual void updaterDidShowModalAlert() = 0;
};

} // namespace orlix
