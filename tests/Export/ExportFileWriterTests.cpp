#include "Export/ExportFileWriter.h"

#include "Support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

namespace orlix {
namespace {

namespace fs = std::filesystem;

// The process's umask for as long as it lives. The umask is the whole process's: nothing else in
// this program creates files while a test runs.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask)
        : previous_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(previous_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t previous_;
};

mode_t permissionsOf(const fs::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 07777;
}

TEST(ExportFileWriterTests, AnOutputIsNeverReadableByMoreThanItsInput) {
    struct Case {
        mode_t input;
        mode_t umask;
        mode_t output;
    };
    for (const Case& each : {Case{0600, 022, 0600}, Case{0640, 022, 0640}, Case{0644, 022, 0644},
                             Case{0600, 077, 0600}, Case{0640, 077, 0600}, Case{0644, 077, 0600},
                             Case{0604, 027, 0600}, Case{04644, 022, 0644}}) {
        SCOPED_TRACE(::testing::Message()
                     << std::oct << "input " << each.input << ", umask " << each.umask);
        testing::TemporaryDirectory folder;
        const fs::path input = folder.path() / "photo.jpg";
        std::ofstream(input) << "input";
        fs::permissions(input, static_cast<fs::perms>(each.input));
        const std::vector<std::uint8_t> data{1, 2, 3};

        const ScopedUmask umask(each.umask);
        const auto result = ExportFileWriter::write(data, Url::fileUrl(input), "jpg",
                                                    ExportFileWriter::suffixes(std::nullopt));
        const auto* success = std::get_if<ExportResult::Success>(&result.value);
        ASSERT_TRUE(success);
        EXPECT_EQ(success->exportUrl.path(), folder.path() / "photo-orlix.jpg");
        EXPECT_EQ(permissionsOf(success->exportUrl.path()), each.output);
        EXPECT_EQ(permissionsOf(input), each.input) << "the input is left as it was";
    }
}

} // namespace
} // namespace orlix
