#include "Export/DataWriter.h"

#include "Platform/TemporaryName.h"
#include "Platform/UnnamedFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string_view>

namespace orlix {

namespace {

constexpr int temporaryNameTries = 100;
constexpr std::size_t temporaryNameRandomLength = 12;

// An open, new, hidden file in `folder`, created with the output's mode so that the umask and
// the folder's default ACL apply as to any new file; -1 with errno set when none can be made.
int openTemporary(const std::filesystem::path& folder, mode_t mode, std::string& temporary) {
    for (int attempt = 0; attempt < temporaryNameTries; ++attempt) {
        temporary = (folder / TemporaryName::make(".orlix-", temporaryNameRandomLength)).string();
        const int descriptor =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (descriptor >= 0 || (errno != EEXIST && errno != EINTR)) {
            return descriptor;
        }
    }
    return -1;
}

// EEXIST when anything, even a dangling link, holds the name; what an exclusive open of the name
// would report otherwise, or 0 when the name is free. Checked first so that a taken name costs no
// write.
int nameTakenError(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0) {
        return EEXIST;
    }
    return errno == ENOENT ? 0 : errno;
}

// File systems without hard links (FAT, exFAT, many network and FUSE mounts) refuse link() so.
bool refusesHardLinks(int error) {
    return error == EPERM || error == ENOSYS || error == EOPNOTSUPP;
}

// ... and renameat2() without RENAME_NOREPLACE support so.
bool refusesExclusiveRename(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

std::optional<int> unlessUnsupported(int error) {
    return UnnamedFile::isUnsupported(error) ? std::nullopt : std::optional(error);
}

Url numberedUrl(const Url& url, unsigned number) {
    return Url::fileUrl(url.deletingPathExtension().path().string() + "-" + std::to_string(number))
        .appendingPathExtension(url.pathExtension());
}

bool leadsToNumberedName(FileWriteDataError error) {
    return error == FileWriteDataError::fileAlreadyExists ||
           error == FileWriteDataError::targetFileIsDirectory;
}

} // namespace

DataWriter::SystemCalls DataWriter::SystemCalls::standard() {
    return {
        ::write, [](const char* folder, mode_t mode) { return UnnamedFile::open(folder, mode); },
        [](int descriptor, const char* to) { return UnnamedFile::link(descriptor, to); }, ::link,
        [](const char* from, const char* to) {
            return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
        }};
}

DataWriter::DataWriter()
    : DataWriter(SystemCalls::standard()) {}

DataWriter::DataWriter(mode_t permissions)
    : DataWriter(SystemCalls::standard(), permissions) {}

DataWriter::DataWriter(SystemCalls calls, mode_t permissions)
    : calls_(std::move(calls))
    , permissions_(permissions) {}

Expected<Url, MultipleFileWriteDataError>
DataWriter::writeDataWithoutOverwriting(std::span<const std::uint8_t> data, const Url& url,
                                        std::uint8_t maxRenames) const {
    MultipleFileWriteDataError failure;
    for (unsigned renames = 0; renames <= maxRenames; ++renames) {
        const Url target = renames == 0 ? url : numberedUrl(url, renames);
        // Only local files can be created; anything else fails like an unexpected error.
        const int errorNumber =
            target.isFileUrl() ? createFile(data, target.path().string()) : EINVAL;
        if (errorNumber == 0) {
            return target;
        }
        const FileWriteDataError error = fileWriteDataError(errorNumber);
        failure.errors.push_back({target, error});
        if (!leadsToNumberedName(error)) {
            break;
        }
    }
    return failure;
}

Expected<Url, MultipleFileWriteDataError>
DataWriter::writeDataToFirstAvailableURL(std::span<const std::uint8_t> data,
                                         const std::vector<Url>& urls,
                                         std::uint8_t maxRenames) const {
    MultipleFileWriteDataError failure;
    for (const Url& url : urls) {
        auto written = writeDataWithoutOverwriting(data, url, maxRenames);
        if (written) {
            return written;
        }
        const auto& attempts = written.error().errors;
        failure.errors.insert(failure.errors.end(), attempts.begin(), attempts.end());
    }
    return failure;
}

std::optional<std::string> DataWriter::explanation(const MultipleFileWriteDataError& error) {
    if (error.errors.empty()) {
        return std::nullopt;
    }
    return localizedDescription(error.errors.front().error);
}

// 0 once the complete file is visible under `path`, otherwise the error number; nothing is left
// behind on failure.
int DataWriter::createFile(std::span<const std::uint8_t> data, const std::string& path) const {
    if (const int error = nameTakenError(path); error != 0) {
        return error;
    }
    if (const auto error = writeUnnamed(data, path)) {
        return *error;
    }
    return writeThroughTemporary(data, path);
}

// The file has no name until it is complete and synced, and then gets its final one at once.
// Nothing when the folder's file system can make or name no such file.
std::optional<int> DataWriter::writeUnnamed(std::span<const std::uint8_t> data,
                                            const std::string& path) const {
    const auto folder = std::filesystem::path(path).parent_path();
    const int descriptor = calls_.openUnnamed(folder.c_str(), permissions_);
    if (descriptor < 0) {
        return unlessUnsupported(errno);
    }
    std::optional<int> error = fill(descriptor, data);
    if (error == 0 && calls_.linkUnnamed(descriptor, path.c_str()) != 0) {
        error = unlessUnsupported(errno);
    }
    // The bytes are on the disk already: closing has nothing left to report.
    ::close(descriptor);
    return error;
}

// Where nameless files are not to be had: a hidden temporary file, then linked or renamed.
int DataWriter::writeThroughTemporary(std::span<const std::uint8_t> data,
                                      const std::string& path) const {
    std::string temporary;
    const int descriptor =
        openTemporary(std::filesystem::path(path).parent_path(), permissions_, temporary);
    if (descriptor < 0) {
        return errno;
    }
    const int fillError = fillAndClose(descriptor, data);
    const int error = fillError == 0 ? publish(temporary, path) : fillError;
    ::unlink(temporary.c_str());
    if (fillError == 0 && error == ENOTSUP) {
        return writeDirectly(data, path);
    }
    return error;
}

// Gives the finished temporary file its final name unless that name is taken. ENOTSUP when the
// folder's file system can do that neither by a hard link nor by an exclusive rename.
int DataWriter::publish(const std::string& temporary, const std::string& path) const {
    if (calls_.link(temporary.c_str(), path.c_str()) == 0) {
        return 0;
    }
    if (!refusesHardLinks(errno)) {
        return errno;
    }
    if (calls_.renameNoReplace(temporary.c_str(), path.c_str()) == 0) {
        return 0;
    }
    return refusesExclusiveRename(errno) ? ENOTSUP : errno;
}

// The last resort on file systems that cannot publish a finished file: still never replaces
// anything, and removes the file again when writing fails.
int DataWriter::writeDirectly(std::span<const std::uint8_t> data, const std::string& path) const {
    const int descriptor =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, permissions_);
    if (descriptor < 0) {
        return errno;
    }
    const int error = fillAndClose(descriptor, data);
    if (error != 0) {
        ::unlink(path.c_str());
    }
    return error;
}

// Writes every byte and makes them durable; the first error number, or 0.
int DataWriter::fill(int descriptor, std::span<const std::uint8_t> data) const {
    const int error = writeAll(descriptor, data);
    // A file system that cannot sync reports EINVAL; its data is as safe as it gets.
    if (error == 0 && ::fsync(descriptor) != 0 && errno != EINVAL) {
        return errno;
    }
    return error;
}

// The same, and closes the file.
int DataWriter::fillAndClose(int descriptor, std::span<const std::uint8_t> data) const {
    int error = fill(descriptor, data);
    // The descriptor is gone even when close() is interrupted.
    if (::close(descriptor) != 0 && error == 0 && errno != EINTR) {
        error = errno;
    }
    return error;
}

int DataWriter::writeAll(int descriptor, std::span<const std::uint8_t> data) const {
    std::size_t written = 0;
    while (written < data.size()) {
        const ssize_t count =
            calls_.write(descriptor, data.data() + written, data.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return errno;
        }
        if (count == 0) {
            return EIO;
        }
        written += static_cast<std::size_t>(count);
    }
    return 0;
}

} // namespace orlix
