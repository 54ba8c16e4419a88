#pragma once

#include "Desktop/Updater.h"

namespace orlix {

// On Linux the distribution's package manager updates Orlix: this updater never finds an update
// and never shows anything. The user's choice of automatic checks is still kept, in the
// application's own defaults, so that the rules deciding when to check read it at every launch.
class PackagedUpdater final : public Updater {
public:
    // Absent until the user answered: no automatic checks.
    static constexpr const char* automaticallyChecksForUpdatesDefaultsKey =
        "OXAutomaticallyChecksForUpdates";

    void checkForUpdatesInBackground() override {}
    bool automaticallyChecksForUpdates() const override;
    void setAutomaticallyChecksForUpdates(bool checks) override;
};

} // namespace orlix
