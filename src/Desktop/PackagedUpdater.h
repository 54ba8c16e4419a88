#pragma once

#include "Desktop/Updater.h"

namespace orlix {

// On Linux the distribution's package manager updates Orlix: this updater never finds an update,
// never shows anything and keeps its menu item disabled. The user's choice of automatic checks
// is still kept, in the application's own defaults, so that the rules deciding when to check
// read it at every launch.
class PackagedUpdater final : public Updater {
public:
    // Absent until the user answered: no automatic checks.
    static constexpr const char* automaticallyChecksForUpdatesDefaultsKey =
        "OXAutomaticallyChecksForUpdates";

    void setDelegate(std::weak_ptr<UpdaterDelegate>) override {}
    bool automaticallyChecksForUpdates() const override;
    void setAutomaticallyChecksForUpdates(bool checks) override;
    std::optional<Date> lastUpdateCheckDate() const override { return std::nullopt; }
    std::chrono::seconds updateCheckInterval() const override { return std::chrono::hours(24); }
    bool automaticallyDownloadsUpdates() const override { return false; }
    void checkForUpdatesInBackground() override {}
    void checkForUpdateInformation() override {}
    void checkForUpdates() override {}
    bool validateMenuItem() const override { return false; }
};

} // namespace orlix
