#include "Platform/UnnamedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace orlix {

int UnnamedFile::open(const std::filesystem::path& folder, mode_t mode) {
    // Without O_EXCL, so that the file may get a name later.
    return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
}

int UnnamedFile::link(int descriptor, const std::filesystem::path& path) {
    // Through /proc, since naming the descriptor itself (AT_EMPTY_PATH) takes a capability that
    // a user does not have.
    const std::string self = "/proc/self/fd/" + std::to_string(descriptor);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        return 0;
    }
    const int error = errno;
    struct stat status {};
    // No /proc (a bare chroot or container): the file cannot be reached by a path.
    errno = error == ENOENT && ::lstat(self.c_str(), &status) != 0 ? EOPNOTSUPP : error;
    return -1;
}

bool UnnamedFile::isUnsupported(int error) {
    // EOPNOTSUPP: a file system without nameless files (FAT, most network and FUSE mounts).
    // EISDIR: a kernel that does not know O_TMPFILE and takes it for O_DIRECTORY. EPERM and
    // ENOSYS: a file system without hard links.
    return error == EOPNOTSUPP || error == EISDIR || error == EPERM || error == ENOSYS;
}

} // namespace orlix
