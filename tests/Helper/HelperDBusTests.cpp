#include "Desktop/DBusDistributedNotificationCenter.h"
#include "Desktop/DesktopTestSupport.h"
#include "Helper/CoreApplicationLauncher.h"
#include "Helper/DesktopLaunchEnvironment.h"
#include "Helper/HelperBusService.h"
#include "Helper/ServiceProvider.h"
#include "Shared/SharedDefinitions.h"
#include "Support/TemporaryDirectory.h"

#include "FakeLaunchEnvironment.h"

#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>

#include <fstream>
#include <mutex>
#include <sstream>

namespace orlix::helper {
namespace {

using orlix::testing::BusConnection;
using orlix::testing::runEventLoopUntil;
using orlix::testing::whileTheMainLoopRuns;
using SettingsType = CoreApplicationLauncher::SettingsType;
using Log = std::vector<std::string>;

// What the fake application saw, from whichever thread saw it.
class EventLog {
public:
    void add(std::string event) {
        const std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }
    Log events() const {
        const std::lock_guard lock(mutex_);
        return events_;
    }

private:
    mutable std::mutex mutex_;
    Log events_;
};

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const auto& word : words) {
        text += (text.empty() ? "" : " ") + word;
    }
    return text;
}

} // namespace

// The application's side of the hand-over: its name, Activate, and the images-added signal.
class FakeOrlix : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    explicit FakeOrlix(EventLog& log)
        : log_(log) {}

public slots:
    void Activate(const QVariantMap& platformData) {
        Q_UNUSED(platformData);
        log_.add("activate");
    }

private:
    EventLog& log_;
};

namespace {

class HelperDBusTests : public orlix::testing::SessionBusTest {
protected:
    void SetUp() override {
        SessionBusTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        ASSERT_FALSE(activatable(QString::fromLatin1(applicationBundleIdentifier)));
    }

    // A fake application that owns the name and hears the signal, on connections of its own.
    void runFakeOrlix() {
        host = std::make_unique<orlix::testing::FakeServiceHost>(QStringLiteral("fake-orlix"));
        ASSERT_TRUE(host->publish(new FakeOrlix(log),
                                  QString::fromLatin1(applicationBundleIdentifier),
                                  QStringLiteral("/co/corvendal/Orlix")));
        observation = listener.addObserver(
            imagesAddedNotificationName,
            [this](const DistributedNotificationCenter::UserInfo& info) {
                const auto paths = info.find(imagesAddedPathsKey);
                const auto arguments = info.find(imagesAddedArgumentsKey);
                log.add("images [" + (arguments == info.end() ? "?" : joined(arguments->second)) +
                        "] " + (paths == info.end() ? "?" : joined(paths->second)));
            });
        orlix::testing::roundTrip(*listenerBus);
    }

    // A program that writes the words it was started with into a file beside it.
    std::filesystem::path writeStubProgram() {
        const auto program = folder.path() / "stub-orlix";
        std::ofstream(program) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.argv.tmp\"\n"
                                  "mv \"$0.argv.tmp\" \"$0.argv\"\n";
        std::filesystem::permissions(program, std::filesystem::perms::owner_all);
        return program;
    }

    static std::string contents(const std::filesystem::path& path) {
        std::ostringstream text;
        text << std::ifstream(path).rdbuf();
        return text.str();
    }

    orlix::testing::TemporaryDirectory folder;
    EventLog log;
    std::unique_ptr<orlix::testing::FakeServiceHost> host;
    BusConnection listenerBus{QStringLiteral("fake-orlix-listener")};
    DBusDistributedNotificationCenter listener{*listenerBus};
    std::unique_ptr<DistributedNotificationCenter::Observation> observation;
};

TEST_F(HelperDBusTests, ARunningApplicationGetsActivateAndThenTheFilesWithTheZonesArguments) {
    runFakeOrlix();
    DesktopLaunchEnvironment environment(QDBusConnection::sessionBus(), {});
    const std::vector<Url> files{Url::fileUrl("/p/b.png"), Url::fileUrl("/p/a c.jpg")};
    // Activate is answered before the signal is sent, so the two arrive in this order.
    EXPECT_TRUE(
        (CoreApplicationLauncher{files, SettingsType::usePreviousSettings}.launch(environment)));
    ASSERT_TRUE(runEventLoopUntil([&] { return log.events().size() == 2; }));
    EXPECT_TRUE((CoreApplicationLauncher{{}, SettingsType::resizeAndOptimize}.launch(environment)));
    ASSERT_TRUE(runEventLoopUntil([&] { return log.events().size() == 4; }));
    EXPECT_EQ(log.events(), (Log{"activate", "images [-last-used-settings] /p/b.png /p/a c.jpg",
                                 "activate", "images [] "}));
}

TEST_F(HelperDBusTests, WithoutItTheFirstCandidateThatStartsIsStartedWithTheFiles) {
    const auto stub = writeStubProgram();
    DesktopLaunchEnvironment environment(QDBusConnection::sessionBus(),
                                         {folder.path() / "missing" / "orlix", stub});
    EXPECT_TRUE((CoreApplicationLauncher{{Url::fileUrl("/p/-a.png"), Url::fileUrl("/p/b c.jpg")},
                                         SettingsType::resizeAndOptimize}
                     .launch(environment)));
    const auto argv = stub.string() + ".argv";
    ASSERT_TRUE(runEventLoopUntil([&] { return std::filesystem::exists(argv); }));
    EXPECT_EQ(contents(argv), "--\n/p/-a.png\n/p/b c.jpg\n");

    DesktopLaunchEnvironment nothing(QDBusConnection::sessionBus(), {folder.path() / "none"});
    EXPECT_FALSE((CoreApplicationLauncher{{}, SettingsType::quickOptimize}.launch(nothing)));
}

TEST_F(HelperDBusTests, TheOneShotServiceHandsEveryFileOverWithoutTakingTheHelpersName) {
    runFakeOrlix();
    for (const auto* name : {"a.png", "b.png", "c.gif"}) {
        std::ofstream(folder.path() / name) << "x";
    }
    QProcess service;
    service.setWorkingDirectory(QString::fromStdString(folder.path().string()));
    service.start(QStringLiteral(ORLIX_HELPER_PROGRAM),
                  {QStringLiteral("--service"), QStringLiteral("quickOptimize"),
                   QStringLiteral("a.png"), QStringLiteral("b.png"), QStringLiteral("c.gif")});
    ASSERT_TRUE(runEventLoopUntil([&] { return service.state() == QProcess::NotRunning; }));
    EXPECT_EQ(service.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(service.exitCode(), 0) << service.readAllStandardError().toStdString();
    ASSERT_TRUE(runEventLoopUntil([&] { return log.events().size() == 2; }));
    const auto base = folder.path().string();
    EXPECT_EQ(log.events(), (Log{"activate", "images [-quick-optimize] " + base + "/a.png " + base +
                                                 "/b.png " + base + "/c.gif"}));
    EXPECT_FALSE(QDBusConnection::sessionBus().interface()->isServiceRegistered(
        QString::fromLatin1(helperBundleIdentifier)));
}

QDBusMessage helperCall(const QString& method, const QVariantList& arguments = {}) {
    auto call = QDBusMessage::createMethodCall(QString::fromLatin1(helperBundleIdentifier),
                                               QString::fromLatin1(helperObjectPath),
                                               QString::fromLatin1(helperInterface), method);
    call.setArguments(arguments);
    return call;
}

TEST_F(HelperDBusTests, TheRunningHelperServesTheEntriesItsVersionAndTerminate) {
    const auto environment = std::make_shared<testing::FakeLaunchEnvironment>();
    environment->running = true;
    int quits = 0;
    BusConnection helperBus(QStringLiteral("helper-under-test"));
    HelperBusService service(*helperBus, std::make_shared<ServiceProvider>(environment),
                             [&] { ++quits; });
    ASSERT_TRUE(service.claim());

    BusConnection caller(QStringLiteral("helper-caller"));
    const auto reply = whileTheMainLoopRuns<QDBusMessage>([&] {
        return caller->call(
            helperCall(QStringLiteral("quickOptimize"),
                       {QStringList{QStringLiteral("/p/a.png"), QStringLiteral("relative.png"),
                                    QStringLiteral("file:///p/b%20c.gif")}}));
    });
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_TRUE(reply.arguments().value(0).toBool());
    EXPECT_EQ(environment->log.back(),
              "post OXImagesAddedNotification OXImagesAddedArgumentsKey:[ "
              "-quick-optimize ] OXImagesAddedPathsKey:[ /p/a.png /p/b c.gif ]");

    auto get = QDBusMessage::createMethodCall(
        QString::fromLatin1(helperBundleIdentifier), QString::fromLatin1(helperObjectPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QString::fromLatin1(helperInterface) << QStringLiteral("Version");
    const auto version = whileTheMainLoopRuns<QDBusMessage>([&] { return caller->call(get); });
    EXPECT_EQ(version.arguments().value(0).value<QDBusVariant>().variant().toString(),
              QStringLiteral(ORLIX_VERSION));

    const auto terminate = whileTheMainLoopRuns<QDBusMessage>(
        [&] { return caller->call(helperCall(QStringLiteral("Terminate"))); });
    EXPECT_EQ(terminate.type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(runEventLoopUntil([&] { return quits == 1; }));
}

TEST_F(HelperDBusTests, ANewHelperTakesTheNameAndTheOldOneQuits) {
    const auto environment = std::make_shared<testing::FakeLaunchEnvironment>();
    int oldQuits = 0;
    int newQuits = 0;
    BusConnection oldBus(QStringLiteral("old-helper"));
    BusConnection newBus(QStringLiteral("new-helper"));
    HelperBusService oldHelper(*oldBus, std::make_shared<ServiceProvider>(environment),
                               [&] { ++oldQuits; });
    ASSERT_TRUE(oldHelper.claim());
    HelperBusService newHelper(*newBus, std::make_shared<ServiceProvider>(environment),
                               [&] { ++newQuits; });
    ASSERT_TRUE(newHelper.claim());
    ASSERT_TRUE(runEventLoopUntil([&] { return oldQuits == 1; }));
    EXPECT_EQ(newQuits, 0);
    EXPECT_EQ(QDBusConnection::sessionBus().interface()->serviceOwner(
                  QString::fromLatin1(helperBundleIdentifier)),
              newBus->baseService());
}

} // namespace
} // namespace orlix::helper

#include "HelperDBusTests.moc"
