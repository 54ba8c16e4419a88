#include "Helper/UserDefaultsKeyWatcher.h"

#include "Desktop/DesktopTestSupport.h"
#include "Platform/UserDefaults.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace orlix::helper {
namespace {

using orlix::testing::runEventLoopUntil;
using Value = std::optional<PropertyList>;

// The watched store and a second one on the same file, which stands for the other program: it
// replaces the file as the application does.
class UserDefaultsKeyWatcherTests : public ::testing::Test {
protected:
    // A store of its own on the file of the domain "d" under `configHome`.
    static std::shared_ptr<UserDefaults> storeIn(const std::filesystem::path& configHome) {
        const orlix::testing::ScopedEnvironment config("XDG_CONFIG_HOME", configHome.string());
        return std::make_shared<UserDefaults>("d");
    }

    orlix::testing::TemporaryDirectory home;
    std::vector<Value> seen;
    UserDefaultsKeyWatcher::Handler record = [this](const Value& value) { seen.push_back(value); };
};

TEST_F(UserDefaultsKeyWatcherTests, AnotherProgramsChangesOfTheKeyArriveOnceEach) {
    const auto watched = storeIn(home.path());
    const auto other = storeIn(home.path());
    other->setObject(PropertyList(false), "flag");
    UserDefaultsKeyWatcher watcher(watched, "flag", record);

    const auto started = std::chrono::steady_clock::now();
    other->setObject(PropertyList(true), "flag");
    ASSERT_TRUE(runEventLoopUntil([&] { return !seen.empty(); }));
    const auto latency = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(seen, (std::vector<Value>{PropertyList(true)}));
    RecordProperty(
        "latency_ms",
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(latency).count()));

    // Other keys, and a rewrite with the same value, are not news.
    other->setObject(PropertyList(std::int64_t{2}), "other");
    other->setObject(PropertyList(true), "flag");
    other->removeObject("flag");
    ASSERT_TRUE(runEventLoopUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen.back(), Value());
}

TEST_F(UserDefaultsKeyWatcherTests, AFolderThatAppearsLaterIsWatchedToo) {
    const auto folder = home.path() / "config";
    const auto watched = storeIn(folder);
    UserDefaultsKeyWatcher watcher(watched, "flag", record);
    // The first write makes the folders; the watch moves down to them.
    storeIn(folder)->setObject(PropertyList(true), "flag");
    ASSERT_TRUE(runEventLoopUntil([&] { return seen.size() == 1; }));
    storeIn(folder)->setObject(PropertyList(false), "flag");
    ASSERT_TRUE(runEventLoopUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen.back(), Value(PropertyList(false)));
}

} // namespace
} // namespace orlix::helper
