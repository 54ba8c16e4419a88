#include "Desktop/BusDaemonCall.h"
#include "Desktop/DBusApplicationInstance.h"

#include "DesktopTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace orlix {
namespace {

using testing::BusConnection;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::runEventLoopUntil;
using testing::whileTheMainLoopRuns;

// A deadline as a later launch sets it.
std::chrono::system_clock::time_point soon() {
    return std::chrono::system_clock::now() + ApplicationInstance::kAnswerWait;
}

struct OpenRequest {
    std::vector<std::string> paths;
    std::vector<std::string> arguments;
    bool onGuiThread = false;
};

class DBusApplicationInstanceTests : public testing::SessionBusTest {
protected:
    // The running instance, with what it was asked to do.
    void watch(DBusApplicationInstance& instance) {
        instance.setOpenHandler([this](const auto& paths, const auto& arguments) {
            const bool onGuiThread =
                QThread::currentThread() == QCoreApplication::instance()->thread();
            opened.push_back({paths, arguments, onGuiThread});
        });
        instance.setActivateHandler([this] { ++activations; });
    }

    std::vector<OpenRequest> opened;
    int activations = 0;
    BusConnection runningBus{QStringLiteral("orlix-test-running-instance")};
    BusConnection laterBus{QStringLiteral("orlix-test-later-launch")};
};

TEST_F(DBusApplicationInstanceTests, ALaterLaunchCannotClaimAndHandsItsFilesAndArgumentsOver) {
    DBusApplicationInstance running(*runningBus);
    watch(running);
    ASSERT_TRUE(running.claim());

    DBusApplicationInstance later(*laterBus);
    EXPECT_FALSE(later.claim());
    const auto relative = std::filesystem::current_path() / "relative name.png";
    const bool forwarded = whileTheMainLoopRuns<bool>([&] {
        return later.forward({"/tmp/Holiday pictures/100% #1 \xC3\xBC.png", "relative name.png"},
                             {"--preset", "Web \xE2\x9C\x93"}, soon());
    });
    EXPECT_TRUE(forwarded);

    ASSERT_TRUE(runEventLoopUntil([&] { return opened.size() == 1; }));
    EXPECT_THAT(opened[0].paths,
                ElementsAre("/tmp/Holiday pictures/100% #1 \xC3\xBC.png", relative.string()));
    EXPECT_THAT(opened[0].arguments, ElementsAre("--preset", "Web \xE2\x9C\x93"));
    EXPECT_TRUE(opened[0].onGuiThread);

    // Without files a later launch only brings the running one forward.
    EXPECT_TRUE(
        whileTheMainLoopRuns<bool>([&] { return later.forward({}, {"--preset"}, soon()); }));
    ASSERT_TRUE(runEventLoopUntil([&] { return activations == 1; }));
    EXPECT_EQ(opened.size(), 1u);
}

TEST_F(DBusApplicationInstanceTests, OpensOnlyLocalFilesOfTheUrisItIsSent) {
    DBusApplicationInstance running(*runningBus);
    watch(running);
    ASSERT_TRUE(running.claim());

    const auto open = [&](const QStringList& uris) {
        auto message = QDBusMessage::createMethodCall(
            QStringLiteral("co.corvendal.Orlix"), QStringLiteral("/co/corvendal/Orlix"),
            QStringLiteral("org.freedesktop.Application"), QStringLiteral("Open"));
        message << uris << QVariantMap();
        laterBus->asyncCall(message, 5000);
    };
    open({QStringLiteral("file://localhost/srv/a.png"), QStringLiteral("file:///srv/b%20c.png"),
          QStringLiteral("file://otherhost/srv/d.png"), QStringLiteral("https://example.com/e.png"),
          QStringLiteral("file:///srv/%E2%9C%93.jpg"), QStringLiteral("file:///srv/bad%2Fname")});
    ASSERT_TRUE(runEventLoopUntil([&] { return opened.size() == 1; }));
    EXPECT_THAT(opened[0].paths,
                ElementsAre("/srv/a.png", "/srv/b c.png", "/srv/\xE2\x9C\x93.jpg"));
    EXPECT_THAT(opened[0].arguments, IsEmpty());

    // Nothing left to open: the launch still gets the window.
    open({QStringLiteral("file://otherhost/srv/d.png")});
    ASSERT_TRUE(runEventLoopUntil([&] { return activations == 1; }));
    EXPECT_EQ(opened.size(), 1u);
}

// What the desktop sends for a click on a notification it kept: Orlix's reveal action, with the
// notification's user info as its target.
TEST_F(DBusApplicationInstanceTests, TheRevealActionHandsOverTheResultPathsOfItsTarget) {
    DBusApplicationInstance running(*runningBus);
    watch(running);
    std::vector<std::vector<std::string>> revealed;
    running.setRevealResultFilesHandler([&](const auto& paths) { revealed.push_back(paths); });
    ASSERT_TRUE(running.claim());

    const auto key = QStringLiteral("OXUserNotificationResultPathsKey");
    const auto activateAction = [&](const QString& name, const QVariantList& parameter) {
        auto message = QDBusMessage::createMethodCall(
            QStringLiteral("co.corvendal.Orlix"), QStringLiteral("/co/corvendal/Orlix"),
            QStringLiteral("org.freedesktop.Application"), QStringLiteral("ActivateAction"));
        message << name << parameter << QVariantMap();
        laterBus->asyncCall(message, 5000);
    };
    const auto reveal = QStringLiteral("reveal-result-files");
    activateAction(reveal, {QVariantMap{{key, QStringList{QStringLiteral("/out/a b-orlix.png"),
                                                          QStringLiteral("/out/c-orlix.jpg")}}}});
    ASSERT_TRUE(runEventLoopUntil([&] { return revealed.size() == 1; }));
    EXPECT_THAT(revealed[0], ElementsAre("/out/a b-orlix.png", "/out/c-orlix.jpg"));

    // Paths of another type, no key, no target: nothing to reveal, and no window either.
    activateAction(reveal, {QVariantMap{{key, QStringLiteral("/out/a-orlix.png")}}});
    activateAction(reveal, {QVariantMap{{QStringLiteral("paths"), QStringList{}}}});
    activateAction(reveal, {});
    // Any other action only brings Orlix forward; requests are carried out in order.
    activateAction(QStringLiteral("preferences"), {});
    ASSERT_TRUE(runEventLoopUntil([&] { return activations == 1; }));
    EXPECT_EQ(revealed.size(), 1u);
}

TEST_F(DBusApplicationInstanceTests, TheNameIsFreeOnceTheInstanceHasGoneAndNobodyIsReachedThen) {
    {
        DBusApplicationInstance running(*runningBus);
        ASSERT_TRUE(running.claim());
    }
    DBusApplicationInstance later(*laterBus);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(later.forward({"/tmp/a.png"}, {}, soon()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, DBusApplicationInstance::kCallTimeout);
    EXPECT_TRUE(later.claim());
}

TEST_F(DBusApplicationInstanceTests,
       AQuittingInstanceRefusesAndTheLaterLaunchTakesOverOnceItHasGone) {
    auto running = std::make_unique<DBusApplicationInstance>(*runningBus);
    watch(*running);
    bool quitting = false;
    running->setQuittingCheck([&] { return quitting; });
    ASSERT_TRUE(running->claim());

    DBusApplicationInstance later(*laterBus);
    ASSERT_FALSE(later.claim());
    quitting = true;
    EXPECT_FALSE(
        whileTheMainLoopRuns<bool>([&] { return later.forward({"/tmp/a.png"}, {}, soon()); }));
    EXPECT_FALSE(whileTheMainLoopRuns<bool>([&] { return later.forward({}, {}, soon()); }));
    // The answer goes in the same turn of the loop as the request would be carried out.
    EXPECT_TRUE(opened.empty()) << "a refused request is not carried out";
    EXPECT_EQ(activations, 0);

    // Asked of the bus with time to answer on a busy machine: a wait cut short by its own limit
    // takes a bus that did not answer in time for a free name.
    EXPECT_TRUE(busNameHasOwner(*laterBus, QStringLiteral("co.corvendal.Orlix"), 60000))
        << "the name stays taken while the instance lives";
    const bool released = whileTheMainLoopRuns<bool>([&] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [&] { running.reset(); }, Qt::QueuedConnection);
        return later.waitUntilReleased(std::chrono::seconds(30));
    });
    EXPECT_TRUE(released);
    EXPECT_TRUE(later.claim());
}

// A request's deadline is when its launch stops waiting; one read later has been run by that
// launch itself. A launch of an older Orlix sends no deadline, and waits as long as it waits.
TEST_F(DBusApplicationInstanceTests, ARequestReadAfterItsDeadlineIsDroppedAndOneWithoutIsKept) {
    DBusApplicationInstance running(*runningBus);
    watch(running);
    ASSERT_TRUE(running.claim());

    const auto millisecondsSinceEpoch = [](std::chrono::system_clock::time_point time) {
        return QVariant::fromValue<qlonglong>(
            std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count());
    };
    const auto now = std::chrono::system_clock::now();
    struct Case {
        const char* path;
        QVariant deadline;
        bool kept;
    };
    const Case cases[] = {
        {"/srv/past.png", millisecondsSinceEpoch(now - std::chrono::seconds(1)), false},
        {"/srv/future.png", millisecondsSinceEpoch(now + std::chrono::minutes(1)), true},
        {"/srv/none.png", QVariant(), true},
        {"/srv/not-a-time.png", QVariant(QStringLiteral("tomorrow")), true},
    };
    std::vector<QDBusPendingCall> replies;
    const auto send = [&](const QString& method, const QStringList& uris,
                          const QVariant& deadline) {
        auto message = QDBusMessage::createMethodCall(
            QStringLiteral("co.corvendal.Orlix"), QStringLiteral("/co/corvendal/Orlix"),
            QStringLiteral("org.freedesktop.Application"), method);
        QVariantMap platformData;
        if (deadline.isValid()) {
            platformData.insert(QStringLiteral("orlix-deadline"), deadline);
        }
        if (method == QStringLiteral("Open")) {
            message << uris;
        }
        message << platformData;
        replies.push_back(laterBus->asyncCall(message, 5000));
    };
    for (const Case& test : cases) {
        send(QStringLiteral("Open"), {QStringLiteral("file://") + QLatin1String(test.path)},
             test.deadline);
    }
    send(QStringLiteral("Activate"), {}, cases[0].deadline);
    ASSERT_TRUE(runEventLoopUntil([&] {
        return std::all_of(replies.begin(), replies.end(),
                           [](const QDBusPendingCall& reply) { return reply.isFinished(); });
    }));
    std::vector<std::vector<std::string>> kept;
    for (std::size_t index = 0; index < std::size(cases); ++index) {
        SCOPED_TRACE(cases[index].path);
        EXPECT_EQ(replies[index].isError(), !cases[index].kept);
        if (cases[index].kept) {
            kept.push_back({cases[index].path});
        }
    }
    EXPECT_TRUE(replies.back().isError());
    std::vector<std::vector<std::string>> openedPaths;
    for (const auto& request : opened) {
        openedPaths.push_back(request.paths);
    }
    EXPECT_EQ(openedPaths, kept);
    EXPECT_EQ(activations, 0);
}

// The running instance is stopped, as far as a later launch can tell: it does not answer. The
// launch gives up within its limit, and its request is dropped when the instance reads it.
TEST_F(DBusApplicationInstanceTests, AHandOverNobodyAnswersEndsWithinItsLimitAndIsVoidAfterwards) {
    DBusApplicationInstance running(*runningBus);
    watch(running);
    ASSERT_TRUE(running.claim());
    DBusApplicationInstance later(*laterBus);

    // The running instance shares this thread, whose loop does not run while the launch waits.
    constexpr std::chrono::seconds limit{2};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(later.handOver({"/tmp/given-up.png"}, {}, limit));
    EXPECT_LT(std::chrono::steady_clock::now() - start, limit + std::chrono::milliseconds(1500));

    // Once the instance runs again it reads the stale request first, then this one.
    EXPECT_TRUE(whileTheMainLoopRuns<bool>(
        [&] { return later.handOver({"/tmp/taken.png"}, {}, std::chrono::seconds(30)); }));
    ASSERT_TRUE(runEventLoopUntil([&] { return !opened.empty(); }));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_THAT(opened[0].paths, ElementsAre("/tmp/taken.png"));
}

TEST_F(DBusApplicationInstanceTests, WithoutASessionBusEveryLaunchRunsOnItsOwn) {
    DBusApplicationInstance instance(testing::noBus());
    EXPECT_TRUE(instance.claim());
    EXPECT_FALSE(instance.forward({"/tmp/a.png"}, {}, soon()));
    EXPECT_FALSE(instance.forward({}, {}, soon()));
    EXPECT_TRUE(instance.waitUntilReleased(std::chrono::seconds(30)));
}

} // namespace
} // namespace orlix
