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

TEST(PackagedUpdaterTests, TheLastCheckAndTheIntervalAreReadWithinSaneBounds) {
    const testing::TemporaryDirectory folder;
    const testing::ScopedEnvironment configHome("XDG_CONFIG_HOME", folder.path().string());
    auto& defaults = *UserDefaults::standardUserDefaults();
    EXPECT_FALSE(PackagedUpdater().lastUpdateCheckDate().has_value()) << "never checked";
    EXPECT_EQ(PackagedUpdater().updateCheckInterval(), std::chrono::hours(24));

    defaults.setObject(PropertyList(std::int64_t{1'700'000'000}),
                       PackagedUpdater::lastUpdateCheckDateDefaultsKey);
    defaults.setObject(PropertyList(std::int64_t{7200}),
                       PackagedUpdater::updateCheckIntervalDefaultsKey);
    EXPECT_EQ(PackagedUpdater().lastUpdateCheckDate(),
              Updater::Date(std::chrono::seconds(1'700'000'000)));
    EXPECT_EQ(PackagedUpdater().updateCheckInterval(), std::chrono::hours(2));

    // Values no time point or comparison could hold, and a minute, fall back.
    defaults.setObject(PropertyList(std::int64_t{1} << 62),
                       PackagedUpdater::lastUpdateCheckDateDefaultsKey);
    defaults.setObject(PropertyList(std::int64_t{60}),
                       PackagedUpdater::updateCheckIntervalDefaultsKey);
    EXPECT_FALSE(PackagedUpdater().lastUpdateCheckDate().has_value());
    EXPECT_EQ(PackagedUpdater().updateCheckInterval(), std::chrono::hours(24));
    defaults.setObject(PropertyList(std::string("soon")),
                       PackagedUpdater::updateCheckIntervalDefaultsKey);
    EXPECT_EQ(PackagedUpdater().updateCheckInterval(), std::chrono::hours(24));
}

} // namespace
} // namespace orlix
