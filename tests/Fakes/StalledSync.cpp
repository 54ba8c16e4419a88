// Preloaded into `orlix` by a test: a sync of a file in the folder that ORLIX_TEST_STALLED_FOLDER
// names never returns, as one on a network mount that hangs. Before it stalls it creates the file
// that ORLIX_TEST_STALL_MARK names, so that the test knows an export is stuck.

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool inStalledFolder(int descriptor) {
    const char* folder = std::getenv("ORLIX_TEST_STALLED_FOLDER");
    if (!folder) {
        return false;
    }
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", descriptor);
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link, target, sizeof target - 1);
    const auto prefix = std::strlen(folder);
    return length > ssize_t(prefix) && std::strncmp(target, folder, prefix) == 0 &&
           target[prefix] == '/';
}

} // namespace

extern "C" int fsync(int descriptor) {
    if (inStalledFolder(descriptor)) {
        if (const char* mark = std::getenv("ORLIX_TEST_STALL_MARK")) {
            ::close(::open(mark, O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
        }
        for (;;) {
            ::pause();
        }
    }
    using Sync = int (*)(int);
    static const auto next = reinterpret_cast<Sync>(::dlsym(RTLD_NEXT, "fsync"));
    return next(descriptor);
}
