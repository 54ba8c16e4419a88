#include "Platform/FileReplacer.h"

#include "Platform/FileDescriptor.h"
#include "Platform/TemporaryName.h"
#include "Platform/UnnamedFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace orlix {

namespace {

constexpr int temporaryNameTries = 100;
constexpr std::size_t temporaryNameRandomLength = 6;

std::string temporaryPrefix(const std::filesystem::path& file) {
    return (file.parent_path() / ("." + file.filename().string() + ".")).string();
}

std::string temporaryName(const std::filesystem::path& file) {
    return TemporaryName::make(temporaryPrefix(file), temporaryNameRandomLength);
}

bool isTemporaryOf(const std::string& path, const std::string& prefix) {
    return path.size() == prefix.size() + temporaryNameRandomLength && path.rfind(prefix, 0) == 0;
}

// Whether `path` still names the regular file open as `descriptor`.
bool names(const std::string& path, int descriptor) {
    struct stat named {};
    struct stat opened {};
    return ::lstat(path.c_str(), &named) == 0 && ::fstat(descriptor, &opened) == 0 &&
           S_ISREG(opened.st_mode) && named.st_dev == opened.st_dev &&
           named.st_ino == opened.st_ino;
}

// Temporaries whose lock nobody holds: their writers died between naming and renaming (or, on a
// file system without nameless files, while they wrote). A living writer holds its lock from
// before the name exists until the name is gone.
void removeAbandonedTemporaries(const std::filesystem::path& file) {
    const std::string prefix = temporaryPrefix(file);
    std::error_code error;
    for (auto entry = std::filesystem::directory_iterator(file.parent_path(), error);
         !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const std::string path = entry->path().string();
        if (!isTemporaryOf(path, prefix)) {
            continue;
        }
        const FileDescriptor held(
            ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (held.get() >= 0 && ::flock(held.get(), LOCK_EX | LOCK_NB) == 0 &&
            names(path, held.get())) {
            ::unlink(path.c_str());
        }
    }
}

// A new file under a temporary name, where nameless files cannot be made; -1 when none can.
int openTemporary(const std::filesystem::path& file, mode_t mode, std::string& temporary) {
    for (int attempt = 0; attempt < temporaryNameTries; ++attempt) {
        temporary = temporaryName(file);
        const int descriptor =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (descriptor >= 0 || errno != EEXIST) {
            return descriptor;
        }
    }
    return -1;
}

// Gives the finished nameless file a temporary name; false when none could be given.
bool nameTemporarily(int descriptor, const std::filesystem::path& file, std::string& temporary) {
    for (int attempt = 0; attempt < temporaryNameTries; ++attempt) {
        const std::string name = temporaryName(file);
        if (UnnamedFile::link(descriptor, name) == 0) {
            temporary = name;
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

bool writeAll(int descriptor, std::string_view data) {
    while (!data.empty()) {
        const ssize_t count = ::write(descriptor, data.data(), data.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

bool fill(int descriptor, std::string_view contents, mode_t mode, struct stat& status) {
    return ::fchmod(descriptor, mode) == 0 && writeAll(descriptor, contents) &&
           ::fsync(descriptor) == 0 && ::fstat(descriptor, &status) == 0;
}

void syncFolder(const std::filesystem::path& folder) {
    const FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // The rename has happened; a failed sync only leaves its durability to the system.
    if (directory.get() >= 0) {
        ::fsync(directory.get());
    }
}

} // namespace

std::optional<struct stat> FileReplacer::replace(const std::filesystem::path& file,
                                                 std::string_view contents, mode_t mode) {
    removeAbandonedTemporaries(file);
    const auto folder = file.parent_path();
    std::string temporary;
    FileDescriptor out(UnnamedFile::open(folder, mode));
    if (out.get() < 0 && UnnamedFile::isUnsupported(errno)) {
        out.reset(openTemporary(file, mode, temporary));
    }
    // Taken before the file has a name, or (without nameless files) found still named after it
    // was taken, so that no other writer's cleaning ever removes it.
    const bool locked = out.get() >= 0 && ::flock(out.get(), LOCK_EX | LOCK_NB) == 0 &&
                        (temporary.empty() || names(temporary, out.get()));
    // The rename keeps the inode, size and modification time: this is the new file's status.
    struct stat status {};
    const bool written = locked && fill(out.get(), contents, mode, status) &&
                         (!temporary.empty() || nameTemporarily(out.get(), file, temporary)) &&
                         ::rename(temporary.c_str(), file.c_str()) == 0;
    if (!written) {
        if (locked && !temporary.empty()) {
            ::unlink(temporary.c_str());
        }
        return std::nullopt;
    }
    syncFolder(folder);
    return status;
}

} // namespace orlix
