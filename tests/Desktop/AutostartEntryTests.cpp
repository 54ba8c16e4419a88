#include "Desktop/AutostartEntry.h"
#include "Desktop/BusRunningApplications.h"
#include "Desktop/XdgAutostartLoginItem.h"

#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace orlix {
namespace {

namespace fs = std::filesystem;

std::string read(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class FakeRunning : public RunningApplications {
public:
    std::vector<RunningApplication> runningApplications(const std::string&) override {
        return copies;
    }
    void terminate(const RunningApplication&) override {}
    std::vector<RunningApplication> copies;
};

TEST(AutostartEntryTests, TheEntryStartsTheHelperOnlyWhileItIsInstalled) {
    const testing::TemporaryDirectory config;
    const testing::ScopedEnvironment home("XDG_CONFIG_HOME", config.path().string());
    EXPECT_EQ(AutostartEntry::defaultPath(),
              config.path() / "autostart" / "co.corvendal.orlix-persist.desktop");
    EXPECT_EQ(AutostartEntry::contents("/usr/libexec/orlix/orlix-helper", "1.0.0"),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Orlix Helper\n"
              "Comment=Shows Orlix's drop zones while image files are dragged\n"
              "Exec=/usr/libexec/orlix/orlix-helper\n"
              "TryExec=/usr/libexec/orlix/orlix-helper\n"
              "Icon=co.corvendal.Orlix\n"
              "Terminal=false\n"
              "NoDisplay=true\n"
              "X-Orlix-Version=1.0.0\n");
}

TEST(AutostartEntryTests, ExecArgumentsAreQuotedAndEscapedAsDesktopEntriesRequire) {
    EXPECT_EQ(AutostartEntry::execArgument("/opt/orlix/helper"), "/opt/orlix/helper");
    EXPECT_EQ(AutostartEntry::execArgument("/home/a b/helper"), "\"/home/a b/helper\"");
    // Inside quotes " ` $ and \ take a backslash, which the string escapes double once more.
    EXPECT_EQ(AutostartEntry::execArgument("/x/\"q\"$HOME`\\"),
              "\"/x/\\\\\"q\\\\\"\\\\$HOME\\\\`\\\\\\\\\"");
    EXPECT_EQ(AutostartEntry::execArgument("/x/100%"), "/x/100%%") << "no field code";
    EXPECT_EQ(AutostartEntry::execArgument("/x/a;b"), "\"/x/a;b\"");
    EXPECT_EQ(AutostartEntry::execArgument("/x/line\nbreak"), "\"/x/line\\nbreak\"");
    EXPECT_EQ(AutostartEntry::stringValue("/x/a\\b\tc"), "/x/a\\\\b\\tc");
    const auto entry = AutostartEntry::contents("/home/a b/orlix-helper", "1.0\n[x]");
    EXPECT_NE(entry.find("\nExec=\"/home/a b/orlix-helper\"\n"), std::string::npos);
    EXPECT_NE(entry.find("\nTryExec=/home/a b/orlix-helper\n"), std::string::npos);
    EXPECT_NE(entry.find("\nX-Orlix-Version=1.0\\n[x]\n"), std::string::npos)
        << "a value can never start a group of its own";
}

TEST(AutostartEntryTests, WritesReplaceTheWholeFileAndLeaveNothingBeside) {
    const testing::TemporaryDirectory folder;
    const auto file = folder.path() / "autostart" / "entry.desktop";
    ASSERT_TRUE(AutostartEntry::write(file, "first\n"));
    ASSERT_TRUE(AutostartEntry::write(file, "second\n"));
    EXPECT_EQ(read(file), "second\n");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 1);
    EXPECT_TRUE(AutostartEntry::remove(file));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(AutostartEntry::remove(file)) << "nothing left is what was asked";
    std::ofstream(folder.path() / "file") << "not a folder";
    EXPECT_FALSE(AutostartEntry::write(folder.path() / "file" / "entry.desktop", "y"));
}

TEST(AutostartEntryTests, EnablingWritesTheEntryAndStartsTheHelperOnlyWhenNoneRuns) {
    const testing::TemporaryDirectory folder;
    const auto file = folder.path() / "autostart" / "entry.desktop";
    auto running = std::make_shared<FakeRunning>();
    std::vector<fs::path> started;
    XdgAutostartLoginItem item(file, "/opt/o/libexec/orlix/orlix-helper", "2.0", running,
                               [&](const fs::path& program) { started.push_back(program); });
    item.setLoginItemEnabled(true);
    EXPECT_EQ(read(file), AutostartEntry::contents("/opt/o/libexec/orlix/orlix-helper", "2.0"));
    EXPECT_EQ(started, std::vector<fs::path>{"/opt/o/libexec/orlix/orlix-helper"});
    running->copies = {RunningApplication{}};
    item.setLoginItemEnabled(true);
    EXPECT_EQ(started.size(), 1U);
    item.setLoginItemEnabled(false);
    EXPECT_FALSE(fs::exists(file));
}

TEST(AutostartEntryTests, TheHelperIsTheSiblingInABuildTreeAndInLibexecWhenInstalled) {
    const testing::TemporaryDirectory folder;
    fs::create_directories(folder.path() / "bin");
    EXPECT_EQ(XdgAutostartLoginItem::helperProgram(folder.path() / "bin" / "orlix"),
              folder.path() / "libexec" / "orlix" / "orlix-helper");
    const auto sibling = folder.path() / "bin" / "orlix-helper";
    std::ofstream(sibling) << "#!/bin/sh\n";
    fs::permissions(sibling, fs::perms::owner_all);
    EXPECT_EQ(XdgAutostartLoginItem::helperProgram(folder.path() / "bin" / "orlix"), sibling);
}

TEST(AutostartEntryTests, AProcessWhoseProgramWasDeletedCannotBeOpened) {
    EXPECT_TRUE(BusRunningApplications::programOpens(::getpid()));
    const testing::TemporaryDirectory folder;
    const auto program = folder.path() / "sleeper";
    fs::copy_file("/bin/sleep", program);
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl(program.c_str(), "sleeper", "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(child, 0);
    // The child runs the copy once its exec is done; bounded, so a failed exec cannot hang.
    const auto exe = "/proc/" + std::to_string(child) + "/exe";
    std::error_code error;
    for (int attempt = 0; attempt < 1000 && fs::read_symlink(exe, error) != program; ++attempt) {
        ::usleep(10000);
    }
    ASSERT_EQ(fs::read_symlink(exe, error), program);
    EXPECT_TRUE(BusRunningApplications::programOpens(child));
    fs::remove(program);
    EXPECT_FALSE(BusRunningApplications::programOpens(child)) << "replaced by an upgrade";
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_FALSE(BusRunningApplications::programOpens(child)) << "gone";
}

} // namespace
} // namespace orlix
