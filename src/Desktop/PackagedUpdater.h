#pragma once

#include "Desktop/Updater.h"

namespace orlix {

// On Linux the distribution's package manager updates Orlix: this updater never finds an update,
// never shows anything and keeps its menu item disabled. The user's choices (automatic checks,
// their interval) and the date of the last check are kept in the application's own defaults, so
// that the rules deciding when to check read them at every launch.
class PackagedUpdater : public Updater {
public:
    // Absent until the user answered: no automatic checks.
    static constexpr const char* automaticallyChecksForUpdatesDefaultsKey =
        "OXAutomaticallyChecksForUpdates";
    // Whole seconds since the Unix epoch.
    static constexpr const char* lastUpdateCheckDateDefaultsKey = "OXLastUpdateCheckDate";
    // Whole seconds, from an hour to a year; a day when absent or out of range.
    static constexpr const char* updateCheckIntervalDefaultsKey = "OXUpdateCheckInterval";

    void setDelegate(std::weak_ptr<UpdaterDelegate>) override {}
    bool automaticallyChecksForUpdates() const override;
    void setAutomaticallyChecksForUpdates(bool checks) override;
    std::optional<Date> lastUpdateCheckDate() const override;
    std::chrono::seconds updateCheckInterval() const override;
    bool automaticallyDownloadsUpdates() const override { return false; }
    void checkForUpdatesInBackground() override {}
    void checkForUpdateInformation() override {}
    void checkForUpdates() override {}
    bool validateMenuItem() const override { return false; }
    ObservableProperty<bool>::Token
    observeMenuItemValidation(ObservableProperty<bool>::Observer) override {
        return {};
    }

protected:
    static void setLastUpdateCheckDate(Date date);
};

} // namespace orlix
