#pragma once

#include "Export/MultipleFileWriteDataError.h"
#include "Platform/Expected.h"
#include "Platform/Url.h"

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orlix {

// Writes output files that never replace anything and never appear half written: the bytes go to
// a file without a name in the target folder, which gets its final name only if that name is free,
// so that neither a failed write nor a process killed at any moment leaves anything behind. Where
// the file system has no nameless files, a hidden temporary file stands in for it, removed on any
// failure the process lives to see.
class DataWriter {
public:
    // The system calls that can fail halfway; tests replace them to stage failures and crashes.
    struct SystemCalls {
        std::function<ssize_t(int descriptor, const void* bytes, std::size_t count)> write;
        // A nameless file in `folder` and its naming, as `UnnamedFile` makes and names them.
        std::function<int(const char* folder, mode_t mode)> openUnnamed;
        std::function<int(int descriptor, const char* to)> linkUnnamed;
        std::function<int(const char* from, const char* to)> link;
        // Renames without replacing an existing `to`.
        std::function<int(const char* from, const char* to)> renameNoReplace;

        static SystemCalls standard();
    };

    // The permission bits of a new file when nothing else is asked; the umask applies.
    static constexpr mode_t defaultPermissions = 0644;

    DataWriter();
    // New files get `permissions` (under the umask) before they get their names.
    explicit DataWriter(mode_t permissions);
    explicit DataWriter(SystemCalls calls, mode_t permissions = defaultPermissions);

    // Creates `url`, or when its name is taken (by a file, link or folder) the first free one of
    // its numbered names "-1" to "-<maxRenames>". Any other failure ends the attempts at once.
    Expected<Url, MultipleFileWriteDataError>
    writeDataWithoutOverwriting(std::span<const std::uint8_t> data, const Url& url,
                                std::uint8_t maxRenames) const;

    // The same over several candidates, in order; the error lists every attempt at every one.
    Expected<Url, MultipleFileWriteDataError>
    writeDataToFirstAvailableURL(std::span<const std::uint8_t> data, const std::vector<Url>& urls,
                                 std::uint8_t maxRenames) const;

    // The one text the user is shown for a failed write: that of the very first attempt, at the
    // first candidate, which may be none.
    static std::optional<std::string> explanation(const MultipleFileWriteDataError& error);

private:
    int createFile(std::span<const std::uint8_t> data, const std::string& path) const;
    std::optional<int> writeUnnamed(std::span<const std::uint8_t> data,
                                    const std::string& path) const;
    int writeThroughTemporary(std::span<const std::uint8_t> data, const std::string& path) const;
    int publish(const std::string& temporary, const std::string& path) const;
    int writeDirectly(std::span<const std::uint8_t> data, const std::string& path) const;
    int fillAndClose(int descriptor, std::span<const std::uint8_t> data) const;
    int fill(int descriptor, std::span<const std::uint8_t> data) const;
    int writeAll(int descriptor, std::span<const std::uint8_t> data) const;

    SystemCalls calls_;
    mode_t permissions_;
};

} // namespace orlix
