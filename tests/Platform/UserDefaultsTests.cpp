#include "Platform/NotificationCenter.h"
#include "Platform/PropertyListSerialization.h"
#include "Platform/UserDefaults.h"
#include "Support/FileSizeLimit.h"
#include "Support/KilledChild.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <future>
#include <sstream>
#include <thread>
#include <vector>

namespace orlix {
namespace {

namespace fs = std::filesystem;

const std::string domain = "test.domain";

std::string fileContents(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

void writeFile(const fs::path& path, const std::string& contents) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
}

std::vector<fs::path> corruptCopies(const fs::path& folder) {
    std::vector<fs::path> copies;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind(domain + ".plist.corrupt-", 0) == 0) {
            copies.push_back(entry.path());
        }
    }
    return copies;
}

std::vector<fs::path> folderEntries(const fs::path& folder) {
    std::vector<fs::path> entries;
    for (const auto& entry : fs::directory_iterator(folder)) {
        entries.push_back(entry.path().filename());
    }
    return entries;
}

class UserDefaultsTests : public ::testing::Test {
protected:
    testing::TemporaryDirectory config;
    testing::ScopedEnvironment environment{"XDG_CONFIG_HOME", config.path().string()};
    fs::path folder = config.path() / "orlix";
    fs::path file = folder / (domain + ".plist");
};

TEST_F(UserDefaultsTests, StoresEveryKindAndReadsItBackFromTheFile) {
    const PropertyList::Dictionary settings{{"quality", PropertyList(75)},
                                            {"title", PropertyList("Web")}};
    const PropertyList::Array presets{PropertyList(settings), PropertyList("second")};
    {
        UserDefaults defaults(domain);
        EXPECT_EQ(defaults.filePath(), file);
        defaults.setObject(PropertyList(-3), "integer");
        defaults.setObject(PropertyList(2.75), "real");
        defaults.setObject(PropertyList(true), "flag");
        defaults.setObject(PropertyList("text & <more>"), "text");
        defaults.setObject(PropertyList(settings), "settings");
        defaults.setObject(PropertyList(presets), "presets");
        defaults.setObject(PropertyList("gone"), "removed");
        defaults.removeObject("removed");
    }
    struct stat status {};
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(folder.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);

    const UserDefaults reread(domain);
    EXPECT_EQ(reread.integerForKey("integer"), -3);
    EXPECT_EQ(reread.objectForKey("real"), PropertyList(2.75));
    EXPECT_TRUE(reread.boolForKey("flag"));
    EXPECT_EQ(reread.stringForKey("text"), "text & <more>");
    EXPECT_EQ(reread.dictionaryForKey("settings"), settings);
    EXPECT_EQ(reread.arrayForKey("presets"), presets);
    EXPECT_FALSE(reread.objectForKey("removed"));
    EXPECT_FALSE(reread.objectForKey("never set"));
}

TEST_F(UserDefaultsTests, ReadersConvertOrRefuseOtherKinds) {
    UserDefaults defaults(domain);
    defaults.setObject(PropertyList(2.9), "positive real");
    defaults.setObject(PropertyList(-2.9), "negative real");
    defaults.setObject(PropertyList(1e300), "huge real");
    defaults.setObject(PropertyList(true), "true");
    defaults.setObject(PropertyList("12"), "text");
    defaults.setObject(PropertyList(0), "zero");

    EXPECT_EQ(defaults.integerForKey("positive real"), 2);
    EXPECT_EQ(defaults.integerForKey("negative real"), -2);
    EXPECT_EQ(defaults.integerForKey("huge real"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(defaults.integerForKey("true"), 1);
    EXPECT_EQ(defaults.integerForKey("text"), 0);
    EXPECT_EQ(defaults.integerForKey("missing"), 0);

    EXPECT_TRUE(defaults.boolForKey("positive real"));
    EXPECT_FALSE(defaults.boolForKey("zero"));
    EXPECT_FALSE(defaults.boolForKey("text"));
    EXPECT_FALSE(defaults.boolForKey("missing"));

    EXPECT_FALSE(defaults.stringForKey("zero"));
    EXPECT_FALSE(defaults.dictionaryForKey("text"));
    EXPECT_FALSE(defaults.arrayForKey("text"));
}

TEST_F(UserDefaultsTests, SeesChangesMadeByAnotherProcess) {
    UserDefaults mine(domain);
    mine.setObject(PropertyList(1), "shared");
    mine.setObject(PropertyList("kept"), "untouched");

    UserDefaults theirs(domain); // stands for another process using the same file
    EXPECT_EQ(theirs.integerForKey("shared"), 1);
    theirs.setObject(PropertyList(2), "shared");
    theirs.setObject(PropertyList("new"), "added");

    EXPECT_EQ(mine.integerForKey("shared"), 2);
    EXPECT_EQ(mine.stringForKey("added"), "new");

    // A write starts from the other process's values, so theirs are not lost.
    mine.setObject(PropertyList(3), "mine");
    const UserDefaults fresh(domain);
    EXPECT_EQ(fresh.integerForKey("shared"), 2);
    EXPECT_EQ(fresh.integerForKey("mine"), 3);
    EXPECT_EQ(fresh.stringForKey("untouched"), "kept");

    fs::remove(file);
    EXPECT_FALSE(mine.objectForKey("shared"));
}

TEST_F(UserDefaultsTests, DamagedFilesReadAsEmptyAndAreKeptAside) {
    const std::string valid = PropertyListSerialization::toXml(
        PropertyList(PropertyList::Dictionary{{"a", PropertyList(1)}, {"b", PropertyList("x")}}));
    const std::vector<std::string> damaged{
        valid.substr(0, valid.size() / 2), "this is not a property list",
        PropertyListSerialization::toXml(PropertyList(PropertyList::Array{PropertyList(1)}))};
    for (const std::string& contents : damaged) {
        fs::remove_all(folder);
        writeFile(file, contents);

        UserDefaults defaults(domain);
        EXPECT_FALSE(defaults.objectForKey("a"));
        EXPECT_EQ(fileContents(file), contents) << "a read must not touch the file";

        defaults.setObject(PropertyList(5), "a");
        const auto copies = corruptCopies(folder);
        ASSERT_EQ(copies.size(), 1u) << contents;
        EXPECT_EQ(fileContents(copies.front()), contents);
        EXPECT_EQ(UserDefaults(domain).integerForKey("a"), 5);
    }
}

TEST_F(UserDefaultsTests, CorruptCopiesNeverReplaceEachOther) {
    writeFile(file, "damaged once");
    UserDefaults(domain).setObject(PropertyList(1), "a");
    writeFile(file, "damaged twice");
    UserDefaults(domain).setObject(PropertyList(2), "a");

    std::vector<std::string> kept;
    for (const auto& copy : corruptCopies(folder)) {
        kept.push_back(fileContents(copy));
    }
    EXPECT_THAT(kept, ::testing::UnorderedElementsAre("damaged once", "damaged twice"));
}

// What only a user without root's rights meets; CI runs these as such a user.
class UserDefaultsPermissionTests : public UserDefaultsTests {};

// Locks a folder for this user; false when the user may write there all the same (root).
bool lockFolder(const fs::path& folder) {
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    return ::access(folder.c_str(), W_OK) != 0;
}

TEST_F(UserDefaultsPermissionTests, ALinkIntoAFolderOrlixCannotWriteNeverChangesThatFolder) {
    const std::string preferences = PropertyListSerialization::toXml(
        PropertyList(PropertyList::Dictionary{{"a", PropertyList(1)}}));
    for (const std::string& contents : {preferences, std::string("a file of someone else's")}) {
        SCOPED_TRACE(contents == preferences ? "preferences" : contents);
        const fs::path locked = config.path() / "locked";
        const fs::path target = locked / "target";
        fs::remove_all(config.path());
        writeFile(target, contents);
        fs::create_directories(folder);
        fs::create_symlink(target, file);
        if (!lockFolder(locked)) {
            GTEST_SKIP() << "the folder stays writable for this user";
        }

        const bool saved = UserDefaults(domain).setObject(PropertyList(2), "a");
        EXPECT_EQ(folderEntries(locked), std::vector<fs::path>{"target"});
        EXPECT_EQ(fileContents(target), contents);
        fs::permissions(locked, fs::perms::owner_all);
        if (contents == preferences) {
            // Written through or not at all: the link stays what the user made it.
            EXPECT_FALSE(saved);
            EXPECT_TRUE(fs::is_symlink(file));
            EXPECT_EQ(folderEntries(folder), std::vector<fs::path>{file.filename()});
        } else {
            EXPECT_TRUE(saved);
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file)));
            EXPECT_EQ(corruptCopies(folder).size(), 1u);
            EXPECT_EQ(UserDefaults(domain).integerForKey("a"), 2);
        }
    }
}

TEST_F(UserDefaultsPermissionTests, FailedWriteIntoReadOnlyFolderKeepsOldFileAndTheChangeInMemory) {
    UserDefaults defaults(domain);
    defaults.setObject(PropertyList(1), "a");
    const std::string before = fileContents(file);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(folder.c_str(), W_OK) == 0) {
        GTEST_SKIP() << "the folder stays writable for this user";
    }

    EXPECT_NO_THROW(defaults.setObject(PropertyList(2), "a"));
    EXPECT_EQ(defaults.integerForKey("a"), 2);
    EXPECT_EQ(fileContents(file), before);
    EXPECT_EQ(folderEntries(folder).size(), 1u);

    fs::permissions(folder, fs::perms::owner_all);
    defaults.setObject(PropertyList(3), "b");
    const UserDefaults fresh(domain);
    EXPECT_EQ(fresh.integerForKey("a"), 2);
    EXPECT_EQ(fresh.integerForKey("b"), 3);
}

using testing::FileSizeLimit;

TEST_F(UserDefaultsTests, FailedWriteOnAFullDiskLeavesNoTraceButTheChangeInMemory) {
    UserDefaults defaults(domain);
    defaults.setObject(PropertyList("small"), "a");
    const std::string before = fileContents(file);
    {
        const FileSizeLimit limit(before.size() + 16);
        EXPECT_FALSE(defaults.setObject(PropertyList(std::string(4096, 'x')), "big"))
            << "the store says that the change did not reach the disk";
        // The same value again still needs writing: the file does not have it yet.
        EXPECT_FALSE(defaults.setObject(PropertyList(std::string(4096, 'x')), "big"));
        EXPECT_FALSE(defaults.removeObject("absent"));
    }
    EXPECT_EQ(fileContents(file), before);
    EXPECT_EQ(folderEntries(folder), std::vector<fs::path>{file.filename()});
    EXPECT_EQ(defaults.stringForKey("big"), std::string(4096, 'x'));

    EXPECT_TRUE(defaults.setObject(PropertyList("small"), "a")) << "unchanged, but written";
    EXPECT_TRUE(defaults.setObject(PropertyList("small"), "a")) << "already on disk";
    EXPECT_EQ(UserDefaults(domain).stringForKey("big"), std::string(4096, 'x'));
}

// Reads the key on another thread, so that a read that blocks fails the test instead of hanging
// it; a blocked reader is then released by a writer opening the pipe.
std::int64_t readWithoutBlocking(const fs::path& file, const std::string& key) {
    auto reading =
        std::async(std::launch::async, [&] { return UserDefaults(domain).integerForKey(key); });
    if (reading.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
        const int writer = ::open(file.c_str(), O_WRONLY | O_NONBLOCK);
        ADD_FAILURE() << "reading the preferences blocked";
        reading.wait();
        ::close(writer);
        return -1;
    }
    return reading.get();
}

TEST_F(UserDefaultsTests, APipeOrFolderAtThePathReadsAsDefaultsAndIsKeptAside) {
    for (const bool pipe : {true, false}) {
        SCOPED_TRACE(pipe ? "pipe" : "folder");
        fs::remove_all(folder);
        fs::create_directories(folder);
        if (pipe) {
            ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
        } else {
            fs::create_directory(file);
        }
        EXPECT_EQ(readWithoutBlocking(file, "a"), 0);

        UserDefaults(domain).setObject(PropertyList(4), "a");
        const auto copies = corruptCopies(folder);
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_EQ(fs::is_fifo(copies.front()), pipe);
        EXPECT_TRUE(fs::is_regular_file(file));
        EXPECT_EQ(UserDefaults(domain).integerForKey("a"), 4);
    }
}

// What stands at a path: a file's contents, "<pipe>", "<link to ...>" or "<nothing>".
std::string whatIsAt(const fs::path& path) {
    if (fs::is_symlink(path)) {
        return "<link to " + fs::read_symlink(path).string() + ">";
    }
    if (!fs::exists(path)) {
        return "<nothing>";
    }
    return fs::is_fifo(path) ? "<pipe>" : fileContents(path);
}

// A link (as dotfile managers make) is written through only to a file that reads as preferences,
// whose permissions stay. Whatever else it leads to (any file of the user's, or for root of the
// system's, or nothing at all) is left exactly as it was, and nothing is created there: the link
// itself is set aside and the preferences become a file of their own.
TEST_F(UserDefaultsTests, ALinkIsWrittenThroughOnlyToPreferences) {
    const std::string preferences = PropertyListSerialization::toXml(
        PropertyList(PropertyList::Dictionary{{"kept", PropertyList(1)}}));
    struct Case {
        std::string name;
        std::string target;   // made in a folder "elsewhere" before the link
        std::string contents; // what stands there: "<pipe>", "<nothing>", a link or a file's text
        bool writtenThrough;
    };
    const fs::path elsewhere = config.path() / "elsewhere";
    for (const Case& each :
         {Case{"preferences", "preferences", preferences, true},
          Case{"passwd", "passwd", "root:x:0:0::/root:/bin/sh\n", false},
          Case{"cut-off preferences", "cut", preferences.substr(0, 40), false},
          Case{"pipe", "pipe", "<pipe>", false}, Case{"no file", "missing", "<nothing>", false},
          Case{"a missing folder", "gone/missing", "<nothing>", false},
          Case{"a loop", "loop", "<link to " + file.string() + ">", false}}) {
        SCOPED_TRACE(each.name);
        fs::remove_all(config.path());
        const fs::path target = elsewhere / each.target;
        fs::create_directories(elsewhere);
        if (each.contents == "<pipe>") {
            ASSERT_EQ(::mkfifo(target.c_str(), 0600), 0);
        } else if (each.contents.starts_with("<link")) {
            fs::create_symlink(file, target);
        } else if (each.contents != "<nothing>") {
            writeFile(target, each.contents);
            fs::permissions(target, fs::perms(0644));
        }
        const auto before = folderEntries(elsewhere);
        fs::create_directories(folder);
        fs::create_symlink(target, file);

        EXPECT_TRUE(UserDefaults(domain).setObject(PropertyList(7), "a"));
        EXPECT_EQ(UserDefaults(domain).integerForKey("a"), 7);
        EXPECT_EQ(folderEntries(elsewhere), before)
            << "nothing is moved, made or left beside the link's target";
        if (each.writtenThrough) {
            EXPECT_EQ(whatIsAt(file), "<link to " + target.string() + ">");
            EXPECT_EQ(UserDefaults(domain).integerForKey("kept"), 1);
            EXPECT_EQ(fs::status(target).permissions(), fs::perms(0644));
            EXPECT_TRUE(corruptCopies(folder).empty());
            continue;
        }
        EXPECT_EQ(whatIsAt(target), each.contents);
        const auto copies = corruptCopies(folder);
        EXPECT_EQ(copies.size(), 1u);
        for (const auto& copy : copies) {
            EXPECT_EQ(whatIsAt(copy), "<link to " + target.string() + ">");
        }
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file)));
        EXPECT_EQ(fs::status(file).permissions(), fs::perms(0600));
        EXPECT_EQ(folderEntries(folder).size(), 2u);
    }
}

// Temporaries are ".<name>.XXXXXX" beside the file; a writer holds its own locked.
TEST_F(UserDefaultsTests, TemporariesLeftByAWriterThatDiedGoWithTheNextWrite) {
    UserDefaults defaults(domain);
    defaults.setObject(PropertyList(1), "a");
    const fs::path abandoned = folder / ("." + domain + ".plist.Ab12Cd");
    const fs::path living = folder / ("." + domain + ".plist.Xy34Zw");
    const fs::path notATemporary = folder / ("." + domain + ".plist.mine-too");
    for (const auto& path : {abandoned, living, notATemporary}) {
        writeFile(path, "being written");
    }
    const int held = ::open(living.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    defaults.setObject(PropertyList(2), "a");
    ::close(held);
    EXPECT_FALSE(fs::exists(abandoned));
    EXPECT_TRUE(fs::exists(living)) << "its writer is still at work";
    EXPECT_TRUE(fs::exists(notATemporary));
    EXPECT_EQ(UserDefaults(domain).integerForKey("a"), 2);
}

// Killed at whatever moment it has reached, a writer that saves large preferences one after the
// other has left them whole (the old ones or the new), and the next write leaves nothing else.
TEST_F(UserDefaultsTests, AWriterKilledAtAnyMomentLeavesWholePreferencesAndNoTemporary) {
    UserDefaults(domain).setObject(PropertyList("first"), "a");
    for (const int delayMilliseconds : {0, 2, 5, 11, 23, 47}) {
        SCOPED_TRACE("killed after " + std::to_string(delayMilliseconds) + " ms");
        ASSERT_TRUE(testing::KilledChild::runFor(std::chrono::milliseconds(delayMilliseconds), [&] {
            UserDefaults defaults(domain);
            for (char fill = 'a';; fill = fill == 'z' ? 'a' : char(fill + 1)) {
                defaults.setObject(PropertyList(std::string(2 * 1024 * 1024, fill)), "large");
            }
        }));
        EXPECT_EQ(UserDefaults(domain).stringForKey("a"), "first");
        EXPECT_TRUE(corruptCopies(folder).empty());

        UserDefaults(domain).setObject(PropertyList(delayMilliseconds), "after");
        EXPECT_EQ(folderEntries(folder), std::vector<fs::path>{file.filename()});
    }
}

TEST_F(UserDefaultsTests, ChangeNotificationArrivesOnTheChangingThreadAfterTheChange) {
    auto defaults = std::make_shared<UserDefaults>(domain);
    std::vector<std::thread::id> threads;
    std::vector<std::int64_t> seen;
    const auto token = NotificationCenter::defaultCenter().addObserver(
        UserDefaults::didChangeNotification, defaults.get(), [&](const Notification& note) {
            EXPECT_EQ(note.sender, defaults.get());
            threads.push_back(std::this_thread::get_id());
            seen.push_back(defaults->integerForKey("a")); // reading here must not deadlock
        });

    std::thread([&] { defaults->setObject(PropertyList(4), "a"); }).join();
    defaults->setObject(PropertyList(4), "a");
    defaults->removeObject("a");

    ASSERT_EQ(threads.size(), 3u);
    EXPECT_NE(threads[0], std::this_thread::get_id());
    EXPECT_EQ(threads[1], std::this_thread::get_id());
    EXPECT_EQ(seen, (std::vector<std::int64_t>{4, 4, 0}));
    EXPECT_EQ(UserDefaults::didChangeNotification, "UserDefaultsDidChangeNotification");
}

TEST_F(UserDefaultsTests, ConcurrentWritersLoseNoKey) {
    auto defaults = std::make_shared<UserDefaults>(domain);
    constexpr int threadCount = 8;
    constexpr int keysPerThread = 25;
    std::vector<std::thread> writers;
    for (int thread = 0; thread < threadCount; ++thread) {
        writers.emplace_back([&defaults, thread] {
            for (int key = 0; key < keysPerThread; ++key) {
                const std::string name = std::to_string(thread) + "." + std::to_string(key);
                defaults->setObject(PropertyList(thread * 1000 + key), name);
                EXPECT_EQ(defaults->integerForKey(name), thread * 1000 + key);
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    const UserDefaults fresh(domain);
    for (int thread = 0; thread < threadCount; ++thread) {
        for (int key = 0; key < keysPerThread; ++key) {
            const std::string name = std::to_string(thread) + "." + std::to_string(key);
            EXPECT_EQ(fresh.integerForKey(name), thread * 1000 + key) << name;
        }
    }
}

TEST_F(UserDefaultsTests, SharedStoresFollowTheConfigurationFolder) {
    const auto standard = UserDefaults::standardUserDefaults();
    EXPECT_EQ(standard->domain(), "co.corvendal.Orlix");
    EXPECT_EQ(standard->filePath(), folder / "co.corvendal.Orlix.plist");
    EXPECT_EQ(UserDefaults::standardUserDefaults(), standard);

    const auto helper = UserDefaults::suite("co.corvendal.orlix-helper");
    ASSERT_NE(helper, nullptr);
    EXPECT_EQ(helper->filePath(), folder / "co.corvendal.orlix-helper.plist");
    EXPECT_EQ(UserDefaults::suite("co.corvendal.orlix-helper"), helper);
    for (const std::string unsafe : {"", "../escape", "a/b", ".hidden"}) {
        EXPECT_EQ(UserDefaults::suite(unsafe), nullptr) << unsafe;
    }

    standard->setObject(PropertyList(1), "a");
    const testing::TemporaryDirectory otherConfig;
    const testing::ScopedEnvironment otherEnvironment("XDG_CONFIG_HOME",
                                                      otherConfig.path().string());
    const auto other = UserDefaults::standardUserDefaults();
    EXPECT_NE(other, standard);
    EXPECT_FALSE(other->objectForKey("a"));
}

} // namespace
} // namespace orlix
