#pragma once

#include "Desktop/Updater.h"

namespace orlix {

// On Linux the distribution's package manager updates Orlix: this updater never finds an update
// and never shows anything.
class PackagedUpdater final : public Updater {
public:
    void setDelegate(Delegate delegate) override { delegate_ = std::move(delegate); }
    bool automaticallyChecksForUpdates() const override { return checks_; }
    void setAutomaticallyChecksForUpdates(bool checks) override { checks_ = checks; }
    bool automaticallyDownloadsUpdates() const override { return false; }
    void checkForUpdatesInBackground() override {}
    void checkForUpdateInformation() override {
        if (delegate_.mayCheckForUpdates) {
            delegate_.mayCheckForUpdates();
        }
    }
    void checkForUpdates() override {}
    bool canCheckForUpdates() const override { return false; }

private:
    Delegate delegate_;
    bool checks_ = false;
};

} // namespace orlix
