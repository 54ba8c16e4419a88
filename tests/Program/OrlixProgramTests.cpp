#include "Export/ImageUtilsSocketFolder.h"
#include "Model/Preferences.h"
#include "Program/ChildProcess.h"
#include "Program/PrivateSessionBus.h"
#include "Program/SessionHelpers.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestImages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
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
    // Every start of Orlix starts a helper too: none outlives the test.
    ~OrlixProgramTests() override {
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

} // namespace
} // namespace orlix
