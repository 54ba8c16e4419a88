#include "Desktop/SessionUserNotifier.h"

#include "DesktopTestSupport.h"
#include "FakeGtkNotificationServer.h"
#include "FakeNotificationServer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlix {
namespace {

using testing::BusConnection;
using ::testing::ElementsAre;
using testing::FakeGtkNotificationServer;
using testing::FakeNotificationServer;
using testing::FakeServiceHost;

const QString kGtkService = QStringLiteral("org.gtk.Notifications");
const QString kGtkPath = QStringLiteral("/org/gtk/Notifications");
const QString kFreedesktopService = QStringLiteral("org.freedesktop.Notifications");
const QString kFreedesktopPath = QStringLiteral("/org/freedesktop/Notifications");

class SessionUserNotifierTests : public testing::SessionBusTest {
protected:
    void SetUp() override {
        SessionBusTest::SetUp();
        if (activatable(kGtkService) || activatable(kFreedesktopService)) {
            GTEST_SKIP() << "this bus would start a real notification server";
        }
    }

    BusConnection appBus{QStringLiteral("orlix-test-notifying-app")};
    FakeServiceHost host{QStringLiteral("orlix-test-notification-servers")};
    FakeNotificationServer* freedesktop = new FakeNotificationServer;
};

// What GNOME Shell keeps after Orlix has gone: the click asks Orlix's action for exactly these
// paths, under the user info's key.
TEST_F(SessionUserNotifierTests, WhereGnomeShellsServerRunsTheNotificationCarriesItsOwnPaths) {
    auto* gtk = new FakeGtkNotificationServer;
    ASSERT_TRUE(host.publish(gtk, kGtkService, kGtkPath));
    ASSERT_TRUE(host.publish(freedesktop, kFreedesktopService, kFreedesktopPath));
    SessionUserNotifier notifier(*appBus);
    notifier.deliver("Processing complete: 40% reduction", "2 succeeded. 1 failed. 0 canceled.",
                     {"/out/a-orlix.png", "/out/b c-orlix.jpg"});
    notifier.deliver("Processing complete", "0 succeeded. 1 failed. 0 canceled.", {});
    notifier.flush();

    const auto added = gtk->added.get();
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[0].applicationId, QStringLiteral("co.corvendal.Orlix"));
    EXPECT_EQ(added[0].title, QStringLiteral("Processing complete: 40% reduction"));
    EXPECT_EQ(added[0].body, QStringLiteral("2 succeeded. 1 failed. 0 canceled."));
    EXPECT_EQ(added[0].defaultAction, QStringLiteral("app.reveal-result-files"));
    const auto key = QStringLiteral("OXUserNotificationResultPathsKey");
    EXPECT_EQ(
        added[0].defaultActionTarget.value(key).toStringList(),
        (QStringList{QStringLiteral("/out/a-orlix.png"), QStringLiteral("/out/b c-orlix.jpg")}));
    EXPECT_EQ(added[0].defaultActionTarget.size(), 1);
    EXPECT_TRUE(added[1].defaultActionTarget.contains(key));
    EXPECT_TRUE(added[1].defaultActionTarget.value(key).toStringList().isEmpty());
    EXPECT_NE(added[0].id, added[1].id) << "a later notification must not replace an earlier one";
    EXPECT_TRUE(freedesktop->calls.get().empty());
}

TEST_F(SessionUserNotifierTests, ElsewhereTheFreedesktopServerShowsItAndItsClickReveals) {
    ASSERT_TRUE(host.publish(freedesktop, kFreedesktopService, kFreedesktopPath));
    SessionUserNotifier notifier(*appBus);
    std::vector<std::vector<std::string>> activations;
    notifier.setActivationHandler([&](const auto& paths) { activations.push_back(paths); });
    notifier.deliver("Processing complete", "1 succeeded. 0 failed. 0 canceled.",
                     {"/out/a-orlix.png"});
    notifier.flush();
    ASSERT_EQ(freedesktop->calls.get().size(), 1u);

    host.emitSignal(kFreedesktopPath, kFreedesktopService, QStringLiteral("ActionInvoked"),
                    {uint{1}, QStringLiteral("default")});
    ASSERT_TRUE(testing::runEventLoopUntil([&] { return activations.size() == 1; }));
    EXPECT_THAT(activations[0], ElementsAre("/out/a-orlix.png"));
}

} // namespace
} // namespace orlix
