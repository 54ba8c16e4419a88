#pragma once

#include <sys/types.h>

#include <filesystem>

namespace orlix {

// A new file that has no name in its folder until it is complete (O_TMPFILE): a process killed at
// any moment before the name is given leaves nothing behind, since the kernel drops a nameless
// file with its last descriptor.
class UnnamedFile {
public:
    // A nameless file in `folder`, open for writing, with `mode` under the umask (or the folder's
    // default ACL), set before it can ever be seen; -1 with errno set when none can be made.
    static int open(const std::filesystem::path& folder, mode_t mode);

    // Gives the open nameless file the name `path`, never replacing anything there (EEXIST);
    // 0, or -1 with errno set.
    static int link(int descriptor, const std::filesystem::path& path);

    // Whether an error of open() or link() only says that this folder's file system, or this
    // system, cannot do it, so that a file with a temporary name must serve instead.
    static bool isUnsupported(int error);
};

} // namespace orlix
