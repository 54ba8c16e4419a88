#include "Program/ChildProcess.h"
#include "Program/PrivateSessionBus.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include <chrono>
#include <filesystem>
#include <thread>

namespace orlix {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The helper looks at its bus every 2 seconds; far more than that means it never will.
constexpr auto kBound = 30s;
const QString kProbeName = QStringLiteral("helper-program-probe");

// The real `orlix-helper` in the background, on Qt's offscreen platform, with a session bus and a
// configuration of the test's own.
class HelperProgramTests : public ::testing::Test {
protected:
    ~HelperProgramTests() override { QDBusConnection::disconnectFromBus(kProbeName); }

    void SetUp() override { ASSERT_FALSE(bus.address().empty()) << "dbus-daemon did not start"; }

    bool ownsItsName() {
        auto probe =
            QDBusConnection::connectToBus(QString::fromStdString(bus.address()), kProbeName);
        const auto deadline = std::chrono::steady_clock::now() + kBound;
        while (!probe.interface()
                    ->isServiceRegistered(QStringLiteral("co.corvendal.orlix-helper"))
                    .value()) {
            if (std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(20ms);
        }
        return true;
    }

    testing::PrivateSessionBus bus;
    testing::TemporaryDirectory home;
    testing::ScopedEnvironment homeVariable{"HOME", home.path().string()};
    testing::ScopedEnvironment configVariable{"XDG_CONFIG_HOME", (home.path() / "config").string()};
    testing::ScopedEnvironment busVariable{"DBUS_SESSION_BUS_ADDRESS", bus.address()};
    testing::ScopedEnvironment platformVariable{"QT_QPA_PLATFORM", "offscreen"};
    testing::ScopedEnvironment displayVariable{"DISPLAY", std::nullopt};
    testing::ScopedEnvironment waylandVariable{"WAYLAND_DISPLAY", std::nullopt};
};

TEST_F(HelperProgramTests, TheHelperEndsWithItsSessionBus) {
    testing::ChildProcess helper(
        {(fs::path(ORLIX_PROGRAM).parent_path() / "orlix-helper").string()});
    ASSERT_TRUE(helper.started());
    ASSERT_TRUE(ownsItsName());
    QDBusConnection::disconnectFromBus(kProbeName);
    bus.end();
    EXPECT_EQ(helper.ending(kBound), "exit 0");
}

} // namespace
} // namespace orlix
