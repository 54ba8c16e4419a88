#include "Desktop/DesktopTestSupport.h"
#include "Desktop/FakeFileManager.h"
#include "Desktop/FakeGtkNotificationServer.h"
#include "Export/ImageUtilsSocketFolder.h"
#include "Model/Preferences.h"
#include "Program/ChildProcess.h"
#include "Program/PrivateSessionBus.h"
#include "Program/ReportingServer.h"
#include "Program/SessionHelpers.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestImages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QUrl>
#include <QVariantMap>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

namespace orlix {
namespace {

namespace fs = std::filesystem;
using testing::ChildProcess;
using testing::TestImages;

// Bounds on waits that end much sooner unless something is wrong.
constexpr std::chrono::seconds kBound{60};
constexpr auto kPollInterval = std::chrono::milliseconds(20);

// The real `orlix`, on Qt's offscreen platform, with a home, a runtime folder and a session bus of
// the test's own.
class OrlixProgramTests : public ::testing::Test {
protected:
    OrlixProgramTests() {
        fs::create_directories(inputs);
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
    }
    // Every start of Orlix starts a helper too: none outlives the test, nor does an Orlix that
    // the bus started.
    ~OrlixProgramTests() override {
        endTheRunningOrlix();
        helpers.endAll();
        QDBusConnection::disconnectFromBus(kProbeName);
    }

    void SetUp() override { ASSERT_FALSE(bus.address().empty()) << "dbus-daemon did not start"; }

    std::unique_ptr<ChildProcess> launch(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), ORLIX_PROGRAM);
        auto process = std::make_unique<ChildProcess>(arguments);
        EXPECT_TRUE(process->started());
        return process;
    }

    // Whether a running Orlix owns the session's name and its event loop answers, within the
    // bound: its quit routes are in place by then.
    bool answersRequests() {
        auto activate = QDBusMessage::createMethodCall(
            QStringLiteral("co.corvendal.Orlix"), QStringLiteral("/co/corvendal/Orlix"),
            QStringLiteral("org.freedesktop.Application"), QStringLiteral("Activate"));
        activate << QVariantMap();
        activate.setAutoStartService(false);
        return until([&] {
            return probe().call(activate, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
        });
    }

    static bool until(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + kBound;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(kPollInterval);
        }
        return true;
    }

    std::string image(const std::string& name) {
        const auto path = inputs / name;
        TestImages::writeJPEG(path, 64, 48, TestImages::noise);
        return path.string();
    }

    std::vector<std::string> namesInInputs() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(inputs)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    QDBusConnection probe() const {
        return QDBusConnection::connectToBus(QString::fromStdString(bus.address()), kProbeName);
    }

    // The version the helper that owns the session's name reports, empty while none does.
    std::string helperVersion() {
        auto get = QDBusMessage::createMethodCall(QStringLiteral("co.corvendal.orlix-helper"),
                                                  QStringLiteral("/co/corvendal/OrlixHelper"),
                                                  QStringLiteral("org.freedesktop.DBus.Properties"),
                                                  QStringLiteral("Get"));
        get << QStringLiteral("co.corvendal.OrlixHelper") << QStringLiteral("Version");
        get.setAutoStartService(false);
        const auto reply = probe().call(get, QDBus::Block, 5000);
        return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments()
                                                                .constFirst()
                                                                .value<QDBusVariant>()
                                                                .variant()
                                                                .toString()
                                                                .toStdString()
                                                          : std::string();
    }

    // One helper of this build on the session's bus, answering as the owner of its name.
    bool oneHelperOfThisBuild() {
        return helpers.running().size() == 1 && helperVersion() == ORLIX_VERSION;
    }

    // The environment of the programs the bus starts, as a desktop session hands its own to its
    // bus: this test's home, and the offscreen platform.
    bool setActivationEnvironment() {
        QMap<QString, QString> environment;
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "QT_QPA_PLATFORM",
                                 "DBUS_SYSTEM_BUS_ADDRESS"}) {
            if (const char* value = std::getenv(name)) {
                environment.insert(QString::fromLatin1(name), QString::fromLocal8Bit(value));
            }
        }
        qDBusRegisterMetaType<QMap<QString, QString>>();
        auto update = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("UpdateActivationEnvironment"));
        update << QVariant::fromValue(environment);
        return probe().call(update, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
    }

    // Ends an Orlix that owns the session's name though no test process holds it (the bus started
    // it), and waits for the name to be free.
    void endTheRunningOrlix() {
        auto question = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionUnixProcessID"));
        question << QStringLiteral("co.corvendal.Orlix");
        const auto owner = [&] { return probe().call(question, QDBus::Block, 5000); };
        const auto reply = owner();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            return;
        }
        ::kill(static_cast<pid_t>(reply.arguments().constFirst().toUInt()), SIGTERM);
        EXPECT_TRUE(until([&] { return owner().type() != QDBusMessage::ReplyMessage; }));
    }

    static inline const QString kProbeName = QStringLiteral("orlix-test-probe");
    testing::PrivateSessionBus bus;
    testing::SessionHelpers helpers{fs::path(ORLIX_PROGRAM).parent_path() / "orlix-helper",
                                    bus.address()};
    testing::TemporaryDirectory home;
    fs::path inputs = home.path() / "in";
    fs::path runtime = home.path() / "run";
    testing::ScopedEnvironment homeVariable{"HOME", home.path().string()};
    fs::path config = home.path() / "config";
    fs::path autostartEntry = config / "autostart" / "co.corvendal.orlix-persist.desktop";
    testing::ScopedEnvironment configVariable{"XDG_CONFIG_HOME", config.string()};
    testing::ScopedEnvironment runtimeVariable{"XDG_RUNTIME_DIR", runtime.string()};
    testing::ScopedEnvironment busVariable{"DBUS_SESSION_BUS_ADDRESS", bus.address()};
    testing::ScopedEnvironment platformVariable{"QT_QPA_PLATFORM", "offscreen"};
    testing::ScopedEnvironment displayVariable{"DISPLAY", std::nullopt};
    testing::ScopedEnvironment waylandVariable{"WAYLAND_DISPLAY", std::nullopt};
};

TEST_F(OrlixProgramTests, ALaunchWithNothingItCanProcessQuitsAndLeavesTheSessionToTheNext) {
    TestImages::writeBytes(inputs / "a.gif", {'G', 'I', 'F', '8', '9', 'a'});
    TestImages::writeBytes(inputs / ".png", {0x89, 'P', 'N', 'G'});
    const auto nothing =
        launch({"-quick-optimize", (inputs / "a.gif").string(), (inputs / ".png").string()});
    EXPECT_EQ(nothing->ending(kBound), "exit 0");

    // The next launch finds no invisible Orlix to hand its files to: it runs them itself.
    const auto next = launch({"-quick-optimize", image("b.jpg")});
    EXPECT_EQ(next->ending(kBound), "exit 0");
    EXPECT_TRUE(fs::exists(inputs / "b-orlix.jpg"));
}

TEST_F(OrlixProgramTests, WhatIsNoFileFailsAtOnceAndTheOtherImagesGetTheirOutputs) {
    // The real image comes last: a pipe or a terminal whose read waited would each hold one of the
    // two workers a run has at most by default, and it would never get its turn.
    const auto nonFiles = TestImages::writeNonFiles(inputs);
    std::vector<std::string> arguments{"-quick-optimize"};
    for (const auto& nonFile : nonFiles) {
        arguments.push_back(nonFile.string());
    }
    arguments.push_back(image("real.jpg"));
    const auto orlix = launch(arguments);
    EXPECT_TRUE(until([&] { return fs::exists(inputs / "real-orlix.jpg"); }));
    // The failures keep Orlix open with its results, and a signal ends it: with 128 + its number
    // while the run has not ended yet.
    ASSERT_TRUE(answersRequests());
    orlix->signal(SIGTERM);
    EXPECT_THAT(orlix->ending(kBound), ::testing::AnyOf("exit 0", "exit 143"));
}

TEST_F(OrlixProgramTests, ASecondLaunchHandsItsFilesOverWithItsOwnArguments) {
    const auto running = launch({});
    ASSERT_TRUE(answersRequests());
    const auto second = launch({"-quick-optimize", image("a.jpg")});
    EXPECT_EQ(second->ending(kBound), "exit 0");
    // Quick-optimize asks for no settings: the running Orlix processes the files at once.
    EXPECT_TRUE(until([&] { return fs::exists(inputs / "a-orlix.jpg"); }));
    EXPECT_EQ(running->ending(std::chrono::milliseconds(0)), "still running");
}

TEST_F(OrlixProgramTests, EachQuitSignalEndsAnIdleOrlixWithZero) {
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(::strsignal(signalNumber));
        const auto orlix = launch({});
        ASSERT_TRUE(answersRequests());
        orlix->signal(signalNumber);
        EXPECT_EQ(orlix->ending(kBound), "exit 0");
    }
}

TEST_F(OrlixProgramTests, ASignalAsksNothingAndReportsTheFilesItCancelled) {
    // Without arguments the files wait for the settings window, which nobody will answer.
    const auto orlix = launch({image("a.jpg")});
    ASSERT_TRUE(answersRequests());
    orlix->signal(SIGTERM);
    EXPECT_EQ(orlix->ending(kBound), "exit " + std::to_string(128 + SIGTERM));
    EXPECT_EQ(namesInInputs(), std::vector<std::string>{"a.jpg"});
}

TEST_F(OrlixProgramTests, AQuitGivesUpAnExportStuckInTheSystemAfterFiveSeconds) {
    // README and the manual page: a quit waits at most 5 seconds for the exports to stop. Beyond
    // it, the time a signal takes to reach the event loop and a process to end.
    constexpr std::chrono::seconds kQuitWait{5};
    constexpr std::chrono::seconds kEndingSlack{3};
    const auto stuck = home.path() / "stuck";
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    // The preloaded library comes before the sanitizer's runtime, which it lets be.
    testing::ScopedEnvironment sanitizerOptions{
        "ASAN_OPTIONS", std::string(sanitizer ? sanitizer : "") + ":verify_asan_link_order=0"};
    std::unique_ptr<ChildProcess> orlix;
    {
        // Every sync of a file in the inputs folder hangs, as on a network mount that does.
        testing::ScopedEnvironment preload{"LD_PRELOAD", ORLIX_STALLED_SYNC};
        testing::ScopedEnvironment folder{"ORLIX_TEST_STALLED_FOLDER", inputs.string()};
        testing::ScopedEnvironment mark{"ORLIX_TEST_STALL_MARK", stuck.string()};
        orlix = launch({"-no-helper-install", "-quick-optimize", image("a.jpg")});
    }
    ASSERT_TRUE(until([&] { return fs::exists(stuck); })) << "the export reached its sync";
    const auto asked = std::chrono::steady_clock::now();
    orlix->signal(SIGTERM);
    EXPECT_EQ(orlix->ending(kBound), "exit " + std::to_string(128 + SIGTERM));
    const auto took = std::chrono::steady_clock::now() - asked;
    EXPECT_GE(took, kQuitWait) << "the quit waited for the export";
    EXPECT_LT(took, kQuitWait + kEndingSlack) << "and then ended Orlix";
    EXPECT_EQ(namesInInputs(), std::vector<std::string>{"a.jpg"}) << "the stuck output has no name";
}

// The tags of the entries of the manual page's EXIT STATUS section: "0", "1", ...
std::vector<std::string> documentedExitStatuses() {
    std::ifstream manual(ORLIX_MANUAL_PAGE);
    std::vector<std::string> tags;
    bool inside = false;
    bool tagFollows = false;
    for (std::string line; std::getline(manual, line);) {
        if (line.rfind(".SH", 0) == 0) {
            inside = line == ".SH EXIT STATUS";
        } else if (tagFollows && line.rfind(".B ", 0) == 0) {
            tags.push_back(line.substr(3));
        }
        tagFollows = inside && line == ".TP";
    }
    return tags;
}

TEST_F(OrlixProgramTests, EachExitStatusIsTheOneTheManualPageDocuments) {
    // A PNG export with Zopfli of a large noisy photo: seconds of work in the service.
    Preferences preferences = Preferences::load();
    PNGExportConfig zopfli;
    zopfli.useZopfli = true;
    preferences.currentExportSettings = {{ExportFormat::png(zopfli), ResizeConfig::none()}, {}};
    preferences.save();
    const auto large = inputs / "large.jpg";
    TestImages::writeJPEG(large, 2000, 1500, TestImages::noise);
    const auto serviceAtWork = [&](const ChildProcess& orlix) {
        return until([&] {
            return fs::exists(runtime / "orlix" / ImageUtilsSocketFolder::socketName(orlix.pid()));
        });
    };

    struct Case {
        std::string what;
        std::string documentedAs;
        std::function<std::unique_ptr<ChildProcess>()> run;
        int status;
    };
    const std::vector<Case> cases{{"a run that succeeded", "0",
                                   [&] {
                                       return launch({"-quick-optimize", image("small.jpg")});
                                   },
                                   0},
                                  {"SIGTERM while idle", "0",
                                   [&] {
                                       auto orlix = launch({});
                                       if (answersRequests()) {
                                           orlix->signal(SIGTERM);
                                       }
                                       return orlix;
                                   },
                                   0},
                                  {"SIGTERM in the middle of a run", "128 + the signal's number",
                                   [&] {
                                       auto orlix = launch({"-last-used-settings", large.string()});
                                       if (serviceAtWork(*orlix)) {
                                           orlix->signal(SIGTERM);
                                       }
                                       return orlix;
                                   },
                                   128 + SIGTERM}};
    const auto documented = documentedExitStatuses();
    for (const Case& each : cases) {
        SCOPED_TRACE(each.what);
        EXPECT_THAT(documented, ::testing::Contains(each.documentedAs));
        EXPECT_EQ(each.run()->ending(kBound), "exit " + std::to_string(each.status));
    }
    EXPECT_EQ(namesInInputs(),
              (std::vector<std::string>{"large.jpg", "small-orlix.jpg", "small.jpg"}))
        << "the cancelled export left nothing";
}

TEST_F(OrlixProgramTests, EachStartKeepsOneHelperOfThisBuildAndUninstallEndsIt) {
    const auto plain = launch({});
    ASSERT_TRUE(answersRequests());
    EXPECT_TRUE(until([&] { return fs::exists(autostartEntry) && oneHelperOfThisBuild(); }))
        << "a plain start installs the entry and starts the helper";
    const auto first = helpers.running();
    plain->signal(SIGTERM);
    ASSERT_EQ(plain->ending(kBound), "exit 0");
    EXPECT_EQ(helpers.running(), first) << "the helper outlives Orlix";

    const auto restarting = launch({"-force-restart-helper"});
    ASSERT_TRUE(answersRequests());
    EXPECT_TRUE(until([&] { return oneHelperOfThisBuild() && helpers.running() != first; }))
        << "the old helper is replaced by exactly one new one";
    restarting->signal(SIGTERM);
    ASSERT_EQ(restarting->ending(kBound), "exit 0");

    const auto uninstalling = launch({"-uninstall-helper"});
    ASSERT_TRUE(answersRequests());
    EXPECT_TRUE(until([&] { return !fs::exists(autostartEntry) && helpers.running().empty(); }));
    EXPECT_EQ(helperVersion(), "");
    uninstalling->signal(SIGTERM);
    EXPECT_EQ(uninstalling->ending(kBound), "exit 0");
}

TEST_F(OrlixProgramTests, NoHelperInstallTouchesNeitherTheEntryNorTheHelper) {
    const auto orlix = launch({"-no-helper-install"});
    ASSERT_TRUE(answersRequests());
    orlix->signal(SIGTERM);
    EXPECT_EQ(orlix->ending(kBound), "exit 0");
    EXPECT_FALSE(fs::exists(autostartEntry));
    EXPECT_TRUE(helpers.running().empty());
}

// GNOME Shell keeps the notification of a run after Orlix has quit. Its click asks the session
// bus for Orlix's action with the notification's target, and the bus starts Orlix from its service
// file to carry it out.
TEST_F(OrlixProgramTests, AClickOnANotificationKeptAfterOrlixQuitStartsOrlixToRevealTheOutputs) {
    std::ofstream(bus.serviceFolder() / "co.corvendal.Orlix.service")
        << "[D-BUS Service]\nName=co.corvendal.Orlix\nExec=" ORLIX_PROGRAM "\n";
    ASSERT_TRUE(setActivationEnvironment());
    testing::FakeServiceHost desktop(QStringLiteral("orlix-test-desktop"));
    auto* shell = new testing::FakeGtkNotificationServer;
    auto* fileManager = new testing::FakeFileManager;
    ASSERT_TRUE(desktop.publish(shell, QStringLiteral("org.gtk.Notifications"),
                                QStringLiteral("/org/gtk/Notifications")));
    ASSERT_TRUE(desktop.publish(fileManager, QStringLiteral("org.freedesktop.FileManager1"),
                                QStringLiteral("/org/freedesktop/FileManager1")));

    // On a window system Orlix shows its activity window without becoming the active
    // application, so the end of the run is notified; the offscreen platform activates every
    // window it shows.
    testing::ReportingServer xServer(
        {"Xvfb", "-displayfd", "3", "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
    ASSERT_FALSE(xServer.report().empty()) << "Xvfb did not start";
    std::unique_ptr<ChildProcess> run;
    {
        testing::ScopedEnvironment platform{"QT_QPA_PLATFORM", "xcb"};
        testing::ScopedEnvironment display{"DISPLAY", ":" + xServer.report()};
        run = launch({"-no-helper-install", "-quick-optimize", image("a.jpg"), image("b c.jpg")});
    }
    ASSERT_EQ(run->ending(kBound), "exit 0");
    const auto shown = [&](std::size_t request) {
        const auto requests = fileManager->requests.get();
        std::vector<std::string> paths;
        for (const auto& uri : requests.at(request)) {
            paths.push_back(QUrl(uri).toLocalFile().toStdString());
        }
        std::sort(paths.begin(), paths.end());
        return paths;
    };
    const std::vector<std::string> outputs{(inputs / "a-orlix.jpg").string(),
                                           (inputs / "b c-orlix.jpg").string()};
    // What Orlix sent before it ended may still be on its way through the bus.
    ASSERT_TRUE(
        fileManager->requests.waitUntil([](const auto& all) { return !all.empty(); }, kBound));
    ASSERT_EQ(fileManager->requests.get().size(), 1u) << "the run's own reveal";
    EXPECT_EQ(shown(0), outputs);
    ASSERT_TRUE(shell->added.waitUntil([](const auto& all) { return !all.empty(); }, kBound));
    const auto kept = shell->added.get();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].applicationId, QStringLiteral("co.corvendal.Orlix"));
    ASSERT_EQ(kept[0].defaultAction, QStringLiteral("app.reveal-result-files"));

    // The click, as the shell makes it: the action without "app.", its target as the parameter.
    auto click = QDBusMessage::createMethodCall(
        QStringLiteral("co.corvendal.Orlix"), QStringLiteral("/co/corvendal/Orlix"),
        QStringLiteral("org.freedesktop.Application"), QStringLiteral("ActivateAction"));
    click << QStringLiteral("reveal-result-files") << QVariantList{kept[0].defaultActionTarget}
          << QVariantMap();
    const int bound = static_cast<int>(std::chrono::milliseconds(kBound).count());
    EXPECT_EQ(probe().call(click, QDBus::Block, bound).type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(
        fileManager->requests.waitUntil([](const auto& all) { return all.size() == 2; }, kBound));
    EXPECT_EQ(shown(1), outputs);
    EXPECT_TRUE(answersRequests()) << "then it goes on as a launch without files";
}

} // namespace
} // namespace orlix
