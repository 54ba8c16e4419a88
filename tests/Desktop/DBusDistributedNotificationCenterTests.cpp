#include "Desktop/DBusDistributedNotificationCenter.h"

#include "DesktopTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusMessage>
#include <QStringList>
#include <QThread>
#include <QVariantMap>

#include <string>
#include <vector>

namespace orlix {
namespace {

using testing::BusConnection;
using testing::runEventLoopUntil;
using UserInfo = DistributedNotificationCenter::UserInfo;

const std::string kImagesAdded = "OXImagesAddedNotification";

class DBusDistributedNotificationCenterTests : public testing::SessionBusTest {
protected:
    // Observes on one connection; the other stands for another program of the session.
    BusConnection observingBus{QStringLiteral("orlix-test-observer")};
    BusConnection postingBus{QStringLiteral("orlix-test-poster")};
    DBusDistributedNotificationCenter observing{*observingBus};
    DBusDistributedNotificationCenter posting{*postingBus};
};

TEST_F(DBusDistributedNotificationCenterTests, UserInfoTravelsToTheCurrentObserversOfItsName) {
    std::vector<UserInfo> images;
    std::vector<UserInfo> others;
    bool onGuiThread = false;
    auto imagesObservation = observing.addObserver(kImagesAdded, [&](const UserInfo& userInfo) {
        onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        images.push_back(userInfo);
    });
    auto otherObservation = observing.addObserver(
        "OXOtherNotification", [&](const UserInfo& userInfo) { others.push_back(userInfo); });
    testing::roundTrip(*observingBus);

    const UserInfo sent{{"paths", {"/a.png", "/b \xC3\xBC.png"}}, {"none", {}}};
    posting.post(kImagesAdded, sent);
    posting.post(kImagesAdded, {});

    ASSERT_TRUE(runEventLoopUntil([&] { return images.size() == 2; }));
    EXPECT_EQ(images[0], sent);
    EXPECT_TRUE(images[1].empty());
    EXPECT_TRUE(onGuiThread);
    EXPECT_TRUE(others.empty());

    imagesObservation.reset();
    posting.post("OXOtherNotification", {});
    ASSERT_TRUE(runEventLoopUntil([&] { return others.size() == 1; }));
    posting.post(kImagesAdded, {});
    posting.post("OXOtherNotification", {});
    ASSERT_TRUE(runEventLoopUntil([&] { return others.size() == 2; }));
    EXPECT_EQ(images.size(), 2u);
}

TEST_F(DBusDistributedNotificationCenterTests,
       ValuesOtherThanListsOfTextAndMalformedPostsAreDropped) {
    std::vector<UserInfo> received;
    auto observation = observing.addObserver(
        kImagesAdded, [&](const UserInfo& userInfo) { received.push_back(userInfo); });
    testing::roundTrip(*observingBus);

    const auto send = [&](const QVariantList& arguments) {
        auto signal = QDBusMessage::createSignal(
            QStringLiteral("/co/corvendal/Orlix"),
            QStringLiteral("co.corvendal.Orlix.DistributedNotifications"),
            QString::fromStdString(kImagesAdded));
        signal.setArguments(arguments);
        postingBus->send(signal);
    };
    send({QVariantMap{{QStringLiteral("paths"), QStringList{QStringLiteral("/a.png")}},
                      {QStringLiteral("count"), 3},
                      {QStringLiteral("name"), QStringLiteral("/b.png")},
                      {QStringLiteral("mixed"), QVariantList{QStringLiteral("/c.png"), 4}}}});
    send({QStringLiteral("not user info")});
    send({});
    // Delivered in order, so once this has arrived the malformed ones have been refused.
    posting.post(kImagesAdded, {{"last", {"x"}}});

    ASSERT_TRUE(runEventLoopUntil([&] { return received.size() == 2; }));
    EXPECT_EQ(received[0], (UserInfo{{"paths", {"/a.png"}}}));
    EXPECT_EQ(received[1], (UserInfo{{"last", {"x"}}}));
}

} // namespace
} // namespace orlix
