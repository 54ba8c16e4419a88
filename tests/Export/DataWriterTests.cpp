#include "Export/DataWriter.h"
#include "Export/ExportPaths.h"
#include "Platform/UnnamedFile.h"

#include "Support/KilledChild.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace orlix {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Entry = MultipleFileWriteDataError::Entry;

constexpr std::uint8_t maxRenames = 5;

Bytes sampleData(std::size_t size = 1000) {
    Bytes data(size);
    for (std::size_t index = 0; index < size; ++index) {
        data[index] = static_cast<std::uint8_t>(index * 31);
    }
    return data;
}

Bytes contentsOf(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

Url fileUrl(const fs::path& path) {
    return Url::fileUrl(path);
}

// A tmpfs over `folder` for as long as it lives; needs the right to mount (root in a container).
class ScopedTmpfs {
public:
    ScopedTmpfs(fs::path folder, const std::string& options, unsigned long flags)
        : folder_(std::move(folder))
        , mounted_(::mount("tmpfs", folder_.c_str(), "tmpfs", flags, options.c_str()) == 0) {}
    ~ScopedTmpfs() {
        if (mounted_) {
            ::umount2(folder_.c_str(), MNT_DETACH);
        }
    }
    ScopedTmpfs(const ScopedTmpfs&) = delete;
    ScopedTmpfs& operator=(const ScopedTmpfs&) = delete;

    bool mounted() const { return mounted_; }

private:
    fs::path folder_;
    bool mounted_;
};

// A folder nobody here may create files in: permissions for a normal user, a read-only mount for
// root, who ignores permissions.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const fs::path& folder) {
        fs::create_directory(folder);
        if (::geteuid() == 0) {
            mount_.emplace(folder, "size=64k", MS_RDONLY);
            usable_ = mount_->mounted();
        } else {
            fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
            usable_ = ::access(folder.c_str(), W_OK) != 0;
        }
    }

    bool usable() const { return usable_; }

private:
    std::optional<ScopedTmpfs> mount_;
    bool usable_ = false;
};

std::vector<FileWriteDataError> errorsOf(const MultipleFileWriteDataError& failure) {
    std::vector<FileWriteDataError> errors;
    for (const Entry& entry : failure.errors) {
        errors.push_back(entry.error);
    }
    return errors;
}

TEST(DataWriterTests, WritesACompleteNewFileWithTheUsualMode) {
    testing::TemporaryDirectory folder;
    const Bytes data = sampleData();
    const auto written =
        DataWriter().writeDataWithoutOverwriting(data, fileUrl(folder.path() / "a.png"), 5);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->path(), folder.path() / "a.png");
    EXPECT_EQ(contentsOf(folder.path() / "a.png"), data);
    EXPECT_EQ(namesIn(folder.path()), std::set<std::string>{"a.png"});

    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat status {};
    ASSERT_EQ(::stat((folder.path() / "a.png").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644 & ~mask);

    ASSERT_TRUE(DataWriter().writeDataWithoutOverwriting({}, fileUrl(folder.path() / "e.png"), 5));
    EXPECT_TRUE(contentsOf(folder.path() / "e.png").empty());
}

TEST(DataWriterTests, TakenNamesAreNumberedFromTheCandidateAndNeverReplaced) {
    testing::TemporaryDirectory folder;
    writeFile(folder.path() / "Photo-orlix.jpg", "first");
    writeFile(folder.path() / "Photo-orlix-1.jpg", "second");
    const Url candidate = fileUrl(folder.path() / "Photo-orlix.jpg");

    const auto written = DataWriter().writeDataWithoutOverwriting(sampleData(), candidate, 5);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->path(), folder.path() / "Photo-orlix-2.jpg");
    EXPECT_EQ(contentsOf(folder.path() / "Photo-orlix.jpg"), (Bytes{'f', 'i', 'r', 's', 't'}));
    EXPECT_EQ(contentsOf(folder.path() / "Photo-orlix-2.jpg"), sampleData());

    // A folder and a dangling link hold names just as files do; the link's target stays absent.
    fs::create_directory(folder.path() / "Photo-orlix-3.jpg");
    fs::create_symlink(folder.path() / "elsewhere.jpg", folder.path() / "Photo-orlix-4.jpg");
    const auto next = DataWriter().writeDataWithoutOverwriting(sampleData(), candidate, 5);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->path(), folder.path() / "Photo-orlix-5.jpg");
    EXPECT_FALSE(fs::exists(folder.path() / "elsewhere.jpg"));

    const auto exhausted = DataWriter().writeDataWithoutOverwriting(sampleData(), candidate, 5);
    ASSERT_FALSE(exhausted);
    std::vector<Entry> expected{{candidate, FileWriteDataError::fileAlreadyExists}};
    for (int number = 1; number <= 5; ++number) {
        expected.push_back(
            {fileUrl(folder.path() / ("Photo-orlix-" + std::to_string(number) + ".jpg")),
             FileWriteDataError::fileAlreadyExists});
    }
    EXPECT_EQ(exhausted.error().errors, expected);
    EXPECT_EQ(DataWriter::explanation(exhausted.error()), "File already exists");

    const auto noRenames = DataWriter().writeDataWithoutOverwriting(sampleData(), candidate, 0);
    ASSERT_FALSE(noRenames);
    EXPECT_EQ(noRenames.error().errors.size(), 1u);
}

TEST(DataWriterTests, FailedCandidatesAreListedInOrderBeforeTheOneThatWorks) {
    testing::TemporaryDirectory first;
    testing::TemporaryDirectory second;
    for (const std::string name :
         {"x.png", "x-1.png", "x-2.png", "x-3.png", "x-4.png", "x-5.png"}) {
        writeFile(first.path() / name, "taken");
        writeFile(second.path() / name, "taken");
    }
    const std::vector<Url> candidates{fileUrl(first.path() / "x.png"),
                                      fileUrl(second.path() / "x.png")};
    const auto failed = DataWriter().writeDataToFirstAvailableURL(sampleData(), candidates, 5);
    ASSERT_FALSE(failed);
    ASSERT_EQ(failed.error().errors.size(), 12u);
    EXPECT_EQ(failed.error().errors[0].url, candidates[0]);
    EXPECT_EQ(failed.error().errors[5].url.path(), first.path() / "x-5.png");
    EXPECT_EQ(failed.error().errors[6].url, candidates[1]);

    fs::remove(second.path() / "x-3.png");
    const auto written = DataWriter().writeDataToFirstAvailableURL(sampleData(), candidates, 5);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->path(), second.path() / "x-3.png");

    const auto none = DataWriter().writeDataToFirstAvailableURL(sampleData(), {}, 5);
    ASSERT_FALSE(none);
    EXPECT_TRUE(none.error().errors.empty());
    EXPECT_EQ(DataWriter::explanation(none.error()), std::nullopt);
}

TEST(DataWriterTests, OddFileNamesAreWrittenAsTheyAre) {
    testing::TemporaryDirectory folder;
    const std::string longest(251, 'n');
    for (const std::string& name :
         std::vector<std::string>{"with space.png", "-leading-dash.png", "ünïcødé 写真.png",
                                  "new\nline.png", "semi;colon'quote\".png", longest + ".png"}) {
        const auto written = DataWriter().writeDataWithoutOverwriting(
            sampleData(), fileUrl(folder.path() / name), 5);
        ASSERT_TRUE(written) << name;
        EXPECT_EQ(contentsOf(folder.path() / name), sampleData()) << name;
    }
    EXPECT_EQ(namesIn(folder.path()).size(), 6u);
}

TEST(DataWriterTests, TooLongNamesAndMissingFoldersEndTheCandidateAtOnce) {
    testing::TemporaryDirectory folder;
    const Url tooLong = fileUrl(folder.path() / (std::string(252, 'n') + ".png"));
    const auto longFailure = DataWriter().writeDataWithoutOverwriting(sampleData(), tooLong, 5);
    ASSERT_FALSE(longFailure);
    EXPECT_EQ(longFailure.error().errors,
              (std::vector<Entry>{{tooLong, FileWriteDataError::targetPathOrFilenameTooLong}}));
    EXPECT_EQ(DataWriter::explanation(longFailure.error()), "Output filename is too long");

    const Url missing = fileUrl(folder.path() / "missing" / "a.png");
    const auto missingFailure = DataWriter().writeDataWithoutOverwriting(sampleData(), missing, 5);
    ASSERT_FALSE(missingFailure);
    EXPECT_EQ(missingFailure.error().errors,
              (std::vector<Entry>{{missing, FileWriteDataError::unknown}}));
    EXPECT_EQ(DataWriter::explanation(missingFailure.error()), std::nullopt);

    const Url remote = *Url::parse("https://example.com/a.png");
    const auto remoteFailure = DataWriter().writeDataWithoutOverwriting(sampleData(), remote, 5);
    ASSERT_FALSE(remoteFailure);
    EXPECT_EQ(errorsOf(remoteFailure.error()), (std::vector{FileWriteDataError::unknown}));
    EXPECT_TRUE(namesIn(folder.path()).empty());
}

// Read-only for root too, through a read-only mount; CI runs it also as a user without root's
// rights, who meets the folder's permissions instead.
TEST(DataWriterPermissionTests, ReadOnlyFolderIsNotNumberedAndItsErrorIsTheExplanation) {
    testing::TemporaryDirectory folder;
    ReadOnlyFolder readOnly(folder.path() / "locked");
    if (!readOnly.usable()) {
        GTEST_SKIP() << "cannot make a read-only folder here";
    }
    const std::vector<Url> candidates{fileUrl(folder.path() / "locked" / "a.png"),
                                      fileUrl(folder.path() / "missing" / "a.png"),
                                      fileUrl(folder.path() / "a.png")};
    const auto written = DataWriter().writeDataToFirstAvailableURL(sampleData(), candidates, 5);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->path(), folder.path() / "a.png");

    const auto failed =
        DataWriter().writeDataToFirstAvailableURL(sampleData(), {candidates[0], candidates[1]}, 5);
    ASSERT_FALSE(failed);
    EXPECT_EQ(errorsOf(failed.error()), (std::vector{FileWriteDataError::insufficientPermissions,
                                                     FileWriteDataError::unknown}));
    EXPECT_EQ(DataWriter::explanation(failed.error()),
              "Not enough permissions to create a file at this location");
}

TEST(DataWriterTests, FullDiskLeavesNothingBehindAndMovesOn) {
    testing::TemporaryDirectory folder;
    fs::create_directory(folder.path() / "small");
    ScopedTmpfs small(folder.path() / "small", "size=64k", 0);
    if (!small.mounted()) {
        GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    const Bytes data = sampleData(512 * 1024);
    const std::vector<Url> candidates{fileUrl(folder.path() / "small" / "a.png"),
                                      fileUrl(folder.path() / "a.png")};
    const auto written = DataWriter().writeDataToFirstAvailableURL(data, candidates, 5);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->path(), folder.path() / "a.png");
    EXPECT_EQ(contentsOf(folder.path() / "a.png"), data);

    const auto failed = DataWriter().writeDataWithoutOverwriting(data, candidates[0], 5);
    ASSERT_FALSE(failed);
    EXPECT_EQ(errorsOf(failed.error()), (std::vector{FileWriteDataError::noSpace}));
    EXPECT_EQ(DataWriter::explanation(failed.error()), "No space to create file");
    EXPECT_TRUE(namesIn(folder.path() / "small").empty());
}

// Standard calls, except that writing fails with `error` once `allowed` bytes went through.
DataWriter::SystemCalls failingWritesAfter(std::size_t allowed, int error) {
    auto calls = DataWriter::SystemCalls::standard();
    auto remaining = std::make_shared<std::size_t>(allowed);
    calls.write = [remaining, error](int descriptor, const void* bytes,
                                     std::size_t count) -> ssize_t {
        if (*remaining == 0) {
            errno = error;
            return -1;
        }
        const std::size_t now = std::min(count, *remaining);
        *remaining -= now;
        return ::write(descriptor, bytes, now);
    };
    return calls;
}

TEST(DataWriterTests, WriteErrorsAreReportedForTheCandidateAndRemoveTheFile) {
    testing::TemporaryDirectory folder;
    fs::create_directory(folder.path() / "first");
    const std::vector<Url> candidates{fileUrl(folder.path() / "first" / "a.png"),
                                      fileUrl(folder.path() / "a.png")};
    const Bytes data = sampleData(4096);

    const auto full = DataWriter(failingWritesAfter(100, ENOSPC))
                          .writeDataToFirstAvailableURL(data, candidates, 5);
    ASSERT_FALSE(full);
    EXPECT_EQ(errorsOf(full.error()),
              (std::vector{FileWriteDataError::noSpace, FileWriteDataError::noSpace}));

    const auto broken =
        DataWriter(failingWritesAfter(0, EIO)).writeDataWithoutOverwriting(data, candidates[0], 5);
    ASSERT_FALSE(broken);
    EXPECT_EQ(errorsOf(broken.error()), (std::vector{FileWriteDataError::unknown}));
    EXPECT_TRUE(namesIn(folder.path() / "first").empty());
    EXPECT_EQ(namesIn(folder.path()), std::set<std::string>{"first"});
}

TEST(DataWriterTests, ShortAndInterruptedWritesStillWriteEverything) {
    testing::TemporaryDirectory folder;
    auto calls = DataWriter::SystemCalls::standard();
    auto interrupt = std::make_shared<bool>(true);
    calls.write = [interrupt](int descriptor, const void* bytes, std::size_t count) -> ssize_t {
        *interrupt = !*interrupt;
        if (!*interrupt) {
            errno = EINTR;
            return -1;
        }
        return ::write(descriptor, bytes, std::min<std::size_t>(count, 7));
    };
    const Bytes data = sampleData(1000);
    const auto written =
        DataWriter(calls).writeDataWithoutOverwriting(data, fileUrl(folder.path() / "a.png"), 5);
    ASSERT_TRUE(written);
    EXPECT_EQ(contentsOf(folder.path() / "a.png"), data);
}

mode_t modeOf(const fs::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// Every way to a finished file gives it the asked-for permissions before its name and leaves
// nothing else, and the ways where nameless files are not to be had (FAT, many network and FUSE
// mounts) still never replace.
TEST(DataWriterTests, EveryWayToAFileGivesItsPermissionsAndNeverReplaces) {
    const auto refusing = [](int error) {
        return [error](auto...) {
            errno = error;
            return -1;
        };
    };
    auto noNamelessFiles = DataWriter::SystemCalls::standard();
    noNamelessFiles.openUnnamed = refusing(EOPNOTSUPP);
    auto oldKernel = DataWriter::SystemCalls::standard();
    oldKernel.openUnnamed = refusing(EISDIR);
    auto noProc = DataWriter::SystemCalls::standard();
    noProc.linkUnnamed = refusing(EOPNOTSUPP);
    auto renameOnly = noNamelessFiles;
    renameOnly.link = refusing(EPERM);
    auto direct = renameOnly;
    direct.renameNoReplace = refusing(EINVAL);
    const std::vector<std::pair<std::string, DataWriter::SystemCalls>> ways{
        {"nameless", DataWriter::SystemCalls::standard()},
        {"no nameless files", noNamelessFiles},
        {"a kernel without them", oldKernel},
        {"no /proc to name them", noProc},
        {"no hard links", renameOnly},
        {"neither links nor exclusive renames", direct}};

    const mode_t mask = ::umask(0);
    ::umask(mask);
    for (const auto& [way, calls] : ways) {
        SCOPED_TRACE(way);
        testing::TemporaryDirectory folder;
        writeFile(folder.path() / "a.png", "taken");
        const Bytes data = sampleData(70000);
        const auto written =
            DataWriter(calls, 0640)
                .writeDataWithoutOverwriting(data, fileUrl(folder.path() / "a.png"), 5);
        ASSERT_TRUE(written);
        EXPECT_EQ(written->path(), folder.path() / "a-1.png");
        EXPECT_EQ(contentsOf(folder.path() / "a-1.png"), data);
        EXPECT_EQ(modeOf(folder.path() / "a-1.png"), 0640 & ~mask);
        EXPECT_EQ(namesIn(folder.path()), (std::set<std::string>{"a.png", "a-1.png"}));
        EXPECT_EQ(contentsOf(folder.path() / "a.png"), (Bytes{'t', 'a', 'k', 'e', 'n'}));
    }
}

// Standard calls that write at most `chunk` bytes at a time, and kill the process at its step
// `killedAt`: each write is a step, then the naming of the file, then the moment after it.
DataWriter::SystemCalls killingAtStep(int killedAt, std::size_t chunk) {
    auto calls = DataWriter::SystemCalls::standard();
    auto steps = std::make_shared<int>(0);
    const auto step = [steps, killedAt] {
        if ((*steps)++ == killedAt) {
            ::raise(SIGKILL);
        }
    };
    calls.write = [step, chunk](int descriptor, const void* bytes, std::size_t count) {
        step();
        return ::write(descriptor, bytes, std::min(count, chunk));
    };
    calls.linkUnnamed = [step](int descriptor, const char* to) {
        step();
        const int result = UnnamedFile::link(descriptor, to);
        step();
        return result;
    };
    return calls;
}

TEST(DataWriterTests, AWriterKilledAtAnyStepLeavesNothingButWholeOutputs) {
    constexpr std::size_t chunk = 256 * 1024;
    constexpr int writes = 8;
    const Bytes finished = sampleData(3000);
    const Bytes large = sampleData(chunk * writes);
    // Every write, the naming, and the moment after it.
    for (int killedAt = 0; killedAt <= writes + 1; ++killedAt) {
        SCOPED_TRACE("killed at step " + std::to_string(killedAt));
        testing::TemporaryDirectory folder;
        ASSERT_TRUE(testing::KilledChild::run([&] {
            DataWriter().writeDataWithoutOverwriting(finished, fileUrl(folder.path() / "done.png"),
                                                     5);
            DataWriter(killingAtStep(killedAt, chunk))
                .writeDataWithoutOverwriting(large, fileUrl(folder.path() / "large.png"), 5);
        }));
        EXPECT_EQ(contentsOf(folder.path() / "done.png"), finished);
        if (killedAt <= writes) {
            EXPECT_EQ(namesIn(folder.path()), std::set<std::string>{"done.png"});
        } else {
            EXPECT_EQ(namesIn(folder.path()), (std::set<std::string>{"done.png", "large.png"}));
            EXPECT_EQ(contentsOf(folder.path() / "large.png"), large);
        }
    }
}

// Killed from outside at whatever moment it has reached, a writer that writes one large output
// after another has left only whole ones.
TEST(DataWriterTests, AWriterKilledAtAnyMomentLeavesOnlyWholeOutputs) {
    const Bytes large = sampleData(4 * 1024 * 1024);
    for (const int delayMilliseconds : {0, 2, 5, 11, 23, 47, 97}) {
        SCOPED_TRACE("killed after " + std::to_string(delayMilliseconds) + " ms");
        testing::TemporaryDirectory folder;
        ASSERT_TRUE(testing::KilledChild::runFor(std::chrono::milliseconds(delayMilliseconds), [&] {
            for (int index = 0;; ++index) {
                DataWriter().writeDataWithoutOverwriting(
                    large, fileUrl(folder.path() / ("out" + std::to_string(index) + ".png")), 0);
            }
        }));
        for (const auto& name : namesIn(folder.path())) {
            EXPECT_EQ(name.rfind("out", 0), 0u) << name;
            EXPECT_TRUE(contentsOf(folder.path() / name) == large) << name << " is cut off";
        }
    }
}

TEST(DataWriterTests, ConcurrentWritersToOneNameGetDistinctFiles) {
    testing::TemporaryDirectory folder;
    const Url candidate = fileUrl(folder.path() / "same.jpg");
    std::vector<std::optional<Url>> results(6);
    std::vector<std::thread> threads;
    for (std::size_t index = 0; index < results.size(); ++index) {
        threads.emplace_back([&, index] {
            const Bytes data(3000, static_cast<std::uint8_t>(index));
            auto written = DataWriter().writeDataWithoutOverwriting(data, candidate, 5);
            if (written) {
                results[index] = *written;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    std::set<std::string> names;
    for (std::size_t index = 0; index < results.size(); ++index) {
        ASSERT_TRUE(results[index]);
        names.insert(results[index]->lastPathComponent());
        EXPECT_EQ(contentsOf(results[index]->path()),
                  Bytes(3000, static_cast<std::uint8_t>(index)));
    }
    EXPECT_EQ(names.size(), 6u);
    EXPECT_EQ(namesIn(folder.path()), names);
}

TEST(DataWriterTests, OutputFallsBackToPicturesWhenTheInputFolderIsFull) {
    testing::TemporaryDirectory home;
    testing::ScopedEnvironment homeVariable("HOME", home.path().string());
    testing::ScopedEnvironment configVariable("XDG_CONFIG_HOME", std::nullopt);
    fs::create_directory(home.path() / "Pictures");
    fs::create_directory(home.path() / "input");
    for (const std::string name : {"P-orlix.jpg", "P-orlix-1.jpg", "P-orlix-2.jpg", "P-orlix-3.jpg",
                                   "P-orlix-4.jpg", "P-orlix-5.jpg"}) {
        writeFile(home.path() / "input" / name, "taken");
    }
    const auto paths = ExportPaths::make(fileUrl(home.path() / "input" / "P.jpeg"),
                                         defaultExportLocations(), "jpg", {"-orlix"});
    ASSERT_TRUE(paths);
    const auto written =
        DataWriter().writeDataToFirstAvailableURL(sampleData(), paths->urls(), maxRenames);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->path(), home.path() / "Pictures" / "P-orlix.jpg");
}

} // namespace
} // namespace orlix
