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
// a hidden temporary file in the target folder, which is then linked to its final name only if
// that name is free. A failed write leaves nothing behind.
class DataWriter {
public:
    // The system calls that can fail halfway; tests replace them to stage failures.
    struct SystemCalls {
        std::function<ssize_t(int descriptor, const void* bytes, std::size_t count)> write;
        std::function<int(const char* from, const char* to)> link;
        // Renames without replacing an existing `to`.
        std::function<int(const char* from, const char* to)> renameNoReplace;

        static SystemCalls standard();
    };

    DataWriter();
    explicit DataWriter(SystemCalls calls);

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
    int publish(const std::string& temporary, const std::string& path) const;
    int writeDirectly(std::span<const std::uint8_t> data, const std::string& path) const;
    int fillAndClose(int descriptor, std::span<const std::uint8_t> data) const;
    int writeAll(int descriptor, std::span<const std::uint8_t> data) const;

    SystemCalls calls_;
};

} // namespace orlix
