#pragma once

#include "Desktop/Updater.h"

namespace orlix {

// On Linux the distribution's package manager updates Orlix: this updater never finds an update
// and never shows anything.
class PackagedUpdater final : public Updater {
public:
    void checkForUpdatesInBackground() override {}
};

} // namespace orlix
