#include "Desktop/FreedesktopUserNotifier.h"

#include "DesktopTestSupport.h"
#include "FakeNotificationServer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <chrono>
#include <string>
#include <vector>

namespace orlix {
namespace {

using testing::BusConnection;
using ::testing::ElementsAre;
using testing::FakeNotificationServer;
using testing::FakeServiceHost;
using ::testing::IsEmpty;
using testing::runEventLoopUntil;

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

class FreedesktopUserNotifierTests : public testing::SessionBusTest {
protected:
    BusConnection appBus{QStringLiteral("orlix-test-notifying-app")};
    std::vector<std::vector<std::string>> activations;
};

TEST_F(FreedesktopUserNotifierTests, ClickingANotificationHandsItsOwnResultPathsToTheHandler) {
    FakeServiceHost host(QStringLiteral("orlix-test-notification-server"));
    auto* server = new FakeNotificationServer;
    ASSERT_TRUE(host.publish(server, kService, kPath));
    FreedesktopUserNotifier notifier(*appBus);
    notifier.setActivationHandler([&](const auto& paths) { activations.push_back(paths); });

    notifier.deliver("Images optimized", "<b>2</b> files & more", {"/out/a.png", "/out/b.png"});
    notifier.deliver("Image optimized", "1 file", {"/out/c.png"});
    notifier.deliver("Nothing to show", "", {});
    notifier.flush();

    const auto calls = server->calls.get();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].appName, QStringLiteral("Orlix"));
    EXPECT_EQ(calls[0].replacesId, 0u);
    EXPECT_EQ(calls[0].appIcon, QStringLiteral("co.corvendal.Orlix"));
    EXPECT_EQ(calls[0].summary, QStringLiteral("Images optimized"));
    EXPECT_EQ(calls[0].body, QStringLiteral("&lt;b&gt;2&lt;/b&gt; files &amp; more"));
    EXPECT_EQ(calls[0].actions,
              (QStringList{QStringLiteral("default"), QStringLiteral("Show in File Manager")}));
    EXPECT_EQ(calls[0].hints.value(QStringLiteral("desktop-entry")).toString(),
              QStringLiteral("co.corvendal.Orlix"));
    EXPECT_EQ(calls[0].expireTimeout, -1);
    EXPECT_TRUE(calls[2].actions.isEmpty());

    const auto invoke = [&](uint id, const QString& action) {
        host.emitSignal(kPath, kService, QStringLiteral("ActionInvoked"), {id, action});
    };
    invoke(2, QStringLiteral("default"));
    ASSERT_TRUE(runEventLoopUntil([&] { return activations.size() == 1; }));
    EXPECT_THAT(activations[0], ElementsAre("/out/c.png"));

    // Only the server may click: the same signal from another program does nothing.
    BusConnection impostor(QStringLiteral("orlix-test-impostor"));
    auto forged = QDBusMessage::createSignal(kPath, kService, QStringLiteral("ActionInvoked"));
    forged << uint{1} << QStringLiteral("default");
    impostor->send(forged);
    testing::roundTrip(*impostor);

    invoke(1, QStringLiteral("some-other-action"));
    invoke(3, QStringLiteral("default"));
    host.emitSignal(kPath, kService, QStringLiteral("NotificationClosed"), {uint{2}, uint{2}});
    invoke(2, QStringLiteral("default"));
    // Signals arrive in order: once this one is handled, those before it have been refused.
    invoke(1, QStringLiteral("default"));
    ASSERT_TRUE(runEventLoopUntil([&] { return activations.size() == 2; }));
    EXPECT_THAT(activations[1], ElementsAre("/out/a.png", "/out/b.png"));
}

TEST_F(FreedesktopUserNotifierTests, WithoutAServerOrABusNothingIsShownAndFlushDoesNotHang) {
    if (activatable(kService)) {
        GTEST_SKIP() << "this bus would start a real notification server";
    }
    for (auto connection : {*appBus, testing::noBus()}) {
        FreedesktopUserNotifier notifier(connection);
        const auto start = std::chrono::steady_clock::now();
        notifier.deliver("Images optimized", "2 files", {"/out/a.png"});
        notifier.flush();
        EXPECT_LT(std::chrono::steady_clock::now() - start, FreedesktopUserNotifier::kCallTimeout);
    }
}

} // namespace
} // namespace orlix
