#include "Desktop/PackageKitUpdater.h"

#include "DesktopTestSupport.h"
#include "FakePackageKit.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace orlix {
namespace {

using namespace std::chrono_literals;
using testing::BusConnection;
using ::testing::ElementsAre;
using testing::FakePackageKit;
using testing::runEventLoopUntil;
using Source = PackageKitUpdater::Source;

constexpr const char* kProgram = "/usr/bin/orlix";
const QString kInstalled = QStringLiteral("orlix;1.0.0;amd64;installed:debian");
constexpr uint kInstalledInfo = 1;
constexpr uint kNormalInfo = 5;
constexpr uint kBlockedInfo = 9;
constexpr PackageKitUpdater::Timeouts kPatient{10s, 10s};

// What the updater asks the application and shows the user, in one log so that the order shows.
class Recorder final : public UpdaterDelegate, public UpdateAlerts {
public:
    std::vector<std::string> log;
    bool mayCheck = true;

    bool updaterMayCheckForUpdates() override {
        log.push_back("may check?");
        return mayCheck;
    }
    bool updaterShouldPromptForPermissionToCheckForUpdates() override { return false; }
    void updaterDidFindValidUpdate() override { log.push_back("found"); }
    void updaterWillShowModalAlert() override { log.push_back("will show"); }
    void updaterDidShowModalAlert() override { log.push_back("did show"); }
    void offerUpdate(const Offer& offer) override {
        log.push_back("offer " + offer.packageName + " " + offer.installedVersion + " -> " +
                      offer.availableVersion);
    }
    void reportNoUpdate(const std::string& version) override { log.push_back("none " + version); }
    void reportCheckFailed(const std::string& reason) override {
        log.push_back("failed: " + reason);
    }
};

class PackageKitUpdaterTests : public testing::SessionBusTest {
protected:
    void SetUp() override {
        SessionBusTest::SetUp();
        ASSERT_TRUE(packageKit->registered());
        packageKit->searchFiles.packages = {{kInstalledInfo, kInstalled}};
    }

    std::unique_ptr<PackageKitUpdater> make(PackageKitUpdater::Timeouts timeouts = kPatient) {
        return makeOn(*updaterBus, timeouts);
    }

    std::unique_ptr<PackageKitUpdater> makeOn(const QDBusConnection& bus,
                                              PackageKitUpdater::Timeouts timeouts = kPatient) {
        auto updater = std::make_unique<PackageKitUpdater>(bus, kProgram, recorder, timeouts);
        updater->setDelegate(recorder);
        return updater;
    }

    static bool lookedUp(const PackageKitUpdater& updater) {
        return runEventLoopUntil([&] { return updater.source() != Source::lookingUp; });
    }

    // The check just asked for has ended: the item comes back.
    static bool checked(const PackageKitUpdater& updater) {
        return runEventLoopUntil([&] { return updater.validateMenuItem(); });
    }

    static Updater::Date now() { return std::chrono::system_clock::now(); }

    void offerAnUpdate() {
        packageKit->getUpdates.packages = {
            {kNormalInfo, QStringLiteral("orlix-data;2.0;all;debian")},
            {kNormalInfo, QStringLiteral("orlix;1.1.0;amd64;debian")}};
    }

    const testing::TemporaryDirectory folder;
    const testing::ScopedEnvironment configHome{"XDG_CONFIG_HOME", folder.path().string()};
    BusConnection packageKitBus{QStringLiteral("fake-packagekit")};
    BusConnection updaterBus{QStringLiteral("packagekit-updater")};
    std::unique_ptr<FakePackageKit> packageKit = std::make_unique<FakePackageKit>(*packageKitBus);
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
};

TEST_F(PackageKitUpdaterTests, ThePackageOfTheProgramIsLookedUpOnceAndEnablesTheCheck) {
    const auto updater = make();
    int changes = 0;
    const auto token = updater->observeMenuItemValidation([&](bool) { ++changes; });
    EXPECT_FALSE(updater->validateMenuItem()) << "not before PackageKit named the package";
    ASSERT_TRUE(lookedUp(*updater));
    EXPECT_EQ(updater->source(), Source::package);
    EXPECT_TRUE(updater->validateMenuItem());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(packageKit->calls, QStringList{QStringLiteral("SearchFiles 4 /usr/bin/orlix")});
    EXPECT_TRUE(recorder->log.empty()) << "looking up is no check";
    EXPECT_FALSE(updater->automaticallyDownloadsUpdates());
}

TEST_F(PackageKitUpdaterTests, AnUpdateFoundIsOfferedInsideTheModalBracketsAndDatesTheCheck) {
    offerAnUpdate();
    const auto updater = make();
    ASSERT_TRUE(lookedUp(*updater));
    const auto before = std::chrono::floor<std::chrono::seconds>(now());
    updater->checkForUpdates();
    EXPECT_FALSE(updater->validateMenuItem()) << "while the check runs";
    ASSERT_TRUE(checked(*updater));
    EXPECT_THAT(recorder->log, ElementsAre("may check?", "found", "will show",
                                           "offer orlix 1.0.0 -> 1.1.0", "did show"));
    EXPECT_EQ(packageKit->calls.last(), QStringLiteral("GetUpdates 2"));
    const auto date = updater->lastUpdateCheckDate();
    ASSERT_TRUE(date.has_value());
    EXPECT_GE(*date, before);
    EXPECT_LE(*date, now());
    EXPECT_EQ(PackagedUpdater().lastUpdateCheckDate(), date) << "kept in the main domain";

    recorder->log.clear();
    updater->checkForUpdatesInBackground();
    ASSERT_TRUE(checked(*updater));
    EXPECT_THAT(recorder->log, ElementsAre("may check?", "found", "will show",
                                           "offer orlix 1.0.0 -> 1.1.0", "did show"))
        << "a background check offers what it finds";
}

TEST_F(PackageKitUpdaterTests, WithoutAnUpdateOnlyTheUserWhoAskedIsTold) {
    packageKit->getUpdates.packages = {{kBlockedInfo, QStringLiteral("orlix;1.1.0;amd64;debian")},
                                       {kNormalInfo, QStringLiteral("orlixer;3.0;amd64;debian")}};
    const auto updater = make();
    ASSERT_TRUE(lookedUp(*updater));
    updater->checkForUpdatesInBackground();
    ASSERT_TRUE(checked(*updater));
    EXPECT_THAT(recorder->log, ElementsAre("may check?"))
        << "a blocked update and another package's are no update";
    EXPECT_TRUE(updater->lastUpdateCheckDate().has_value());

    updater->checkForUpdates();
    ASSERT_TRUE(checked(*updater));
    EXPECT_THAT(recorder->log,
                ElementsAre("may check?", "may check?", "will show", "none 1.0.0", "did show"));
}

TEST_F(PackageKitUpdaterTests, AnInformationCheckShowsNothingAndLeavesTheDateForTheOffer) {
    offerAnUpdate();
    const auto updater = make();
    ASSERT_TRUE(lookedUp(*updater));
    updater->checkForUpdateInformation();
    ASSERT_TRUE(checked(*updater));
    EXPECT_THAT(recorder->log, ElementsAre("may check?", "found"));
    EXPECT_FALSE(updater->lastUpdateCheckDate().has_value());
}

TEST_F(PackageKitUpdaterTests, ChecksAskTheDelegateAtOnceAndRunOnceThePackageIsKnown) {
    offerAnUpdate();
    const auto updater = make();
    recorder->mayCheck = false;
    updater->checkForUpdatesInBackground();
    recorder->mayCheck = true;
    updater->checkForUpdateInformation();
    // What the delegate says later does not matter: it allowed the check when it was asked.
    recorder->mayCheck = false;
    ASSERT_TRUE(lookedUp(*updater));
    ASSERT_TRUE(checked(*updater));
    EXPECT_THAT(recorder->log, ElementsAre("may check?", "may check?", "found"));
    EXPECT_EQ(packageKit->calls.count(QStringLiteral("GetUpdates 2")), 1);
}

TEST_F(PackageKitUpdaterTests, WithoutItsPackageOrPackageKitItIsThePackagedUpdater) {
    packageKit->searchFiles.packages = {
        {kNormalInfo, QStringLiteral("orlix;1.0.0;amd64;debian")}}; // available, not installed
    const auto unknown = make();
    ASSERT_TRUE(lookedUp(*unknown));
    packageKit->searchFiles.finishes = false;
    const auto lookUpStalls = make({200ms, 10s});
    ASSERT_TRUE(lookedUp(*lookUpStalls));
    packageKit.reset();
    const auto absent = make();
    const auto noBus = makeOn(testing::noBus());
    for (const auto* updater : {&unknown, &lookUpStalls, &absent, &noBus}) {
        ASSERT_TRUE(lookedUp(**updater));
        EXPECT_EQ((*updater)->source(), Source::none);
        EXPECT_FALSE((*updater)->validateMenuItem());
        (*updater)->checkForUpdates();
        (*updater)->checkForUpdateInformation();
        EXPECT_FALSE((*updater)->validateMenuItem());
    }
    EXPECT_THAT(recorder->log, ::testing::Each("may check?")) << "no check, no alert";
}

TEST_F(PackageKitUpdaterTests, ACheckThatNeverFinishesEndsInAMessageAndIsCancelled) {
    packageKit->getUpdates.finishes = false;
    // Long enough for the transaction to be made on a busy machine before the check gives up.
    const auto updater = make({10s, 2s});
    ASSERT_TRUE(lookedUp(*updater));
    updater->checkForUpdates();
    ASSERT_TRUE(checked(*updater)) << "the item comes back for another try";
    EXPECT_THAT(recorder->log,
                ElementsAre("may check?", "will show", "failed: PackageKit did not answer in time.",
                            "did show"));
    EXPECT_TRUE(runEventLoopUntil([&] { return packageKit->calls.last() == "Cancel"; }));
    EXPECT_FALSE(updater->lastUpdateCheckDate().has_value());
}

TEST_F(PackageKitUpdaterTests, PackageKitsErrorReachesOnlyTheUserWhoAsked) {
    packageKit->getUpdates.errorDetails = QStringLiteral("No network connection available");
    const auto updater = make();
    ASSERT_TRUE(lookedUp(*updater));
    updater->checkForUpdatesInBackground();
    ASSERT_TRUE(checked(*updater));
    EXPECT_THAT(recorder->log, ElementsAre("may check?"));
    updater->checkForUpdates();
    ASSERT_TRUE(checked(*updater));
    EXPECT_THAT(recorder->log, ElementsAre("may check?", "may check?", "will show",
                                           "failed: No network connection available", "did show"));
    EXPECT_FALSE(updater->lastUpdateCheckDate().has_value());
}

} // namespace
} // namespace orlix
