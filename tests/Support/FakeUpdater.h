#pragma once

#include "Desktop/Updater.h"

#include <string>
#include <vector>

namespace orlix::testing {

// Records the checks it is asked for; an information check asks the delegate first, as the
// framework does, and finds `available` when it may.
class FakeUpdater : public Updater {
public:
    void setDelegate(std::weak_ptr<UpdaterDelegate> value) override { delegate = std::move(value); }
    bool automaticallyChecksForUpdates() const override { return automaticChecks; }
    void setAutomaticallyChecksForUpdates(bool value) override { automaticChecks = value; }
    std::optional<Date> lastUpdateCheckDate() const override { return lastCheck; }
    std::chrono::seconds updateCheckInterval() const override { return std::chrono::hours(24); }
    bool automaticallyDownloadsUpdates() const override { return automaticDownloads; }
    void checkForUpdatesInBackground() override { ++checks; }
    void checkForUpdateInformation() override {
        const auto target = delegate.lock();
        const bool may = target && target->updaterMayCheckForUpdates();
        log.push_back(may ? "information" : "information refused");
        if (may && available) {
            target->updaterDidFindValidUpdate();
        }
    }
    void checkForUpdates() override { log.push_back("user check"); }
    bool validateMenuItem() const override { return itemAllowed.get(); }
    ObservableProperty<bool>::Token
    observeMenuItemValidation(ObservableProperty<bool>::Observer changed) override {
        return itemAllowed.observe(std::move(changed));
    }

    std::weak_ptr<UpdaterDelegate> delegate;
    int checks = 0;
    std::vector<std::string> log;
    // Automatic checks are on, none ran yet: a check is due.
    bool automaticChecks = true;
    bool automaticDownloads = false;
    bool available = false;
    ObservableProperty<bool> itemAllowed{true};
    std::optional<Date> lastCheck;
};

} // namespace orlix::testing
