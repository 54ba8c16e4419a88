#include "Desktop/PackagedUpdater.h"

#include "Platform/UserDefaults.h"

namespace orlix {

bool PackagedUpdater::automaticallyChecksForUpdates() const {
    return UserDefaults::standardUserDefaults()->boolForKey(
        automaticallyChecksForUpdatesDefaultsKey);
}

void PackagedUpdater::setAutomaticallyChecksForUpdates(bool checks) {
    UserDefaults::standardUserDefaults()->setObject(PropertyList(checks),
                                                    automaticallyChecksForUpdatesDefaultsKey);
}

} // namespace orlix
