#include "Desktop/PackagedUpdater.h"

#include "Platform/UserDefaults.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"

#include <gtest/gtest.h>

namespace orlix {
namespace {

TEST(PackagedUpdaterTests, TheChoiceOfAutomaticChecksOutlivesTheUpdaterInTheMainDomain) {
    const testing::TemporaryDirectory folder;
    const testing::ScopedEnvironment configHome("XDG_CONFIG_HOME", folder.path().string());
    EXPECT_FALSE(PackagedUpdater().automaticallyChecksForUpdates()) << "off until answered";
    PackagedUpdater().setAutomaticallyChecksForUpdates(true);
    EXPECT_TRUE(PackagedUpdater().automaticallyChecksForUpdates());
    EXPECT_TRUE(UserDefaults(UserDefaults::standardDomain)
                    .boolForKey(PackagedUpdater::automaticallyChecksForUpdatesDefaultsKey));
    PackagedUpdater().setAutomaticallyChecksForUpdates(false);
    EXPECT_FALSE(PackagedUpdater().automaticallyChecksForUpdates());
}

} // namespace
} // namespace orlix
