#pragma once

namespace orlix {

// The software-update framework as the application uses it.
class Updater {
public:
    virtual ~Updater() = default;
    // Looks for an update without showing anything unless one is found.
    virtual void checkForUpdatesInBackground() = 0;
};

} // namespace orlix
