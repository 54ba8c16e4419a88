#include "Helper/CoreApplicationLauncher.h"
#include "Helper/ServiceProvider.h"

#include "FakeLaunchEnvironment.h"

#include <gtest/gtest.h>

namespace orlix::helper {
namespace {

using SettingsType = CoreApplicationLauncher::SettingsType;
using Log = std::vector<std::string>;

const std::vector<Url> files{Url::fileUrl("/p/b.png"), Url::fileUrl("/p/a c.jpg"),
                             Url::fileUrl("/p/-x.gif")};

TEST(CoreApplicationLauncherTests, ARunningApplicationIsActivatedAndThenToldOfTheFilesInOrder) {
    testing::FakeLaunchEnvironment environment;
    environment.running = true;
    EXPECT_TRUE((CoreApplicationLauncher{files, SettingsType::quickOptimize}.launch(environment)));
    EXPECT_EQ(environment.log,
              (Log{"running? co.corvendal.Orlix", "activate co.corvendal.Orlix",
                   "post OXImagesAddedNotification OXImagesAddedArgumentsKey:[ -quick-optimize ] "
                   "OXImagesAddedPathsKey:[ /p/b.png /p/a c.jpg /p/-x.gif ]"}));
}

TEST(CoreApplicationLauncherTests, EachZoneHasItsArgumentsAndResizeHasNone) {
    EXPECT_EQ(CoreApplicationLauncher::launchArguments(SettingsType::quickOptimize),
              (std::vector<std::string>{"-quick-optimize"}));
    EXPECT_EQ(CoreApplicationLauncher::launchArguments(SettingsType::usePreviousSettings),
              (std::vector<std::string>{"-last-used-settings"}));
    EXPECT_TRUE(CoreApplicationLauncher::launchArguments(SettingsType::resizeAndOptimize).empty());

    testing::FakeLaunchEnvironment environment;
    environment.running = true;
    CoreApplicationLauncher{{}, SettingsType::resizeAndOptimize}.launch(environment);
    EXPECT_EQ(environment.log.back(), "post OXImagesAddedNotification OXImagesAddedArgumentsKey:[ "
                                      "] OXImagesAddedPathsKey:[ ]");
}

TEST(CoreApplicationLauncherTests, OtherwiseTheCandidatesAreStartedInTurnUntilOneStarts) {
    testing::FakeLaunchEnvironment environment;
    environment.candidates = {"/missing/orlix", "orlix", "/never/orlix"};
    environment.startable = {"orlix"};
    EXPECT_TRUE(
        (CoreApplicationLauncher{files, SettingsType::usePreviousSettings}.launch(environment)));
    EXPECT_EQ(environment.log,
              (Log{"running? co.corvendal.Orlix",
                   "start /missing/orlix[ -last-used-settings -- /p/b.png /p/a c.jpg /p/-x.gif ]",
                   "start orlix[ -last-used-settings -- /p/b.png /p/a c.jpg /p/-x.gif ]"}));
}

TEST(CoreApplicationLauncherTests, OnlyFileUrlsAreHandedOverAndNoStartIsAFailure) {
    testing::FakeLaunchEnvironment environment;
    environment.candidates = {"/a/orlix", "/b/orlix"};
    const std::vector<Url> mixed{*Url::parse("https://example.invalid/a.png"),
                                 Url::fileUrl("/p/b.png")};
    EXPECT_FALSE(
        (CoreApplicationLauncher{mixed, SettingsType::resizeAndOptimize}.launch(environment)));
    EXPECT_EQ(environment.log, (Log{"running? co.corvendal.Orlix", "start /a/orlix[ -- /p/b.png ]",
                                    "start /b/orlix[ -- /p/b.png ]"}));
}

TEST(ServiceProviderTests, EachEntryHandsAllItsFilesOverWithItsZonesSettings) {
    const auto environment = std::make_shared<testing::FakeLaunchEnvironment>();
    environment->candidates = {"orlix"};
    environment->startable = {"orlix"};
    ServiceProvider provider(environment);
    EXPECT_TRUE(provider.quickOptimize(files));
    EXPECT_TRUE(provider.resizeAndOptimize({}));
    EXPECT_TRUE(provider.usePreviousSettings({files[2]}));
    EXPECT_EQ(environment->log[1],
              "start orlix[ -quick-optimize -- /p/b.png /p/a c.jpg /p/-x.gif ]");
    EXPECT_EQ(environment->log[3], "start orlix[ -- ]");
    EXPECT_EQ(environment->log[5], "start orlix[ -last-used-settings -- /p/-x.gif ]");
    EXPECT_FALSE(ServiceProvider::entryNamed("Terminate"));
}

} // namespace
} // namespace orlix::helper
