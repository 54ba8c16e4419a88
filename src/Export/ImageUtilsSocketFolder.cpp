#include "Export/ImageUtilsSocketFolder.h"

#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace orlix {

namespace {

constexpr const char* socketPrefix = "image-utils-";
constexpr const char* socketSuffix = ".sock";

// Never destroyed, so that the exit handler may still read them.
std::string& runtimeSocket() {
    static auto* const path = new std::string;
    return *path;
}

std::string& fallbackFolder() {
    static auto* const folder = new std::string;
    return *folder;
}

// Our own folder with nobody else's access, made if missing; false when `folder` cannot be that.
bool makePrivateFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) == 0) {
        return true;
    }
    struct stat status {};
    if (errno != EEXIST || ::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::geteuid()) {
        return false;
    }
    return (status.st_mode & 077) == 0 || ::chmod(folder.c_str(), 0700) == 0;
}

// Leaves nothing of this process behind. A service still running notices that this process has
// gone and then ends without needing its socket.
void removeThisProcessSockets() {
    if (!runtimeSocket().empty()) {
        ::unlink(runtimeSocket().c_str());
    }
    if (!fallbackFolder().empty()) {
        const std::string socket =
            fallbackFolder() + "/" + ImageUtilsSocketFolder::socketName(::getpid());
        ::unlink(socket.c_str());
        ::rmdir(fallbackFolder().c_str());
    }
}

void removeAtExit() {
    static const bool registered = std::atexit(removeThisProcessSockets) == 0;
    (void)registered;
}

// The pid in "image-utils-<pid>.sock", or 0 for any other name.
long clientOf(const std::string& name) {
    const std::size_t prefix = std::strlen(socketPrefix);
    const std::size_t suffix = std::strlen(socketSuffix);
    if (name.size() <= prefix + suffix || name.rfind(socketPrefix, 0) != 0 ||
        name.compare(name.size() - suffix, suffix, socketSuffix) != 0) {
        return 0;
    }
    const std::string digits = name.substr(prefix, name.size() - prefix - suffix);
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) {
        return 0;
    }
    return std::strtol(digits.c_str(), nullptr, 10);
}

bool nobodyListensOn(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (descriptor < 0) {
        return false;
    }
    const bool refused =
        ::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
        errno == ECONNREFUSED;
    ::close(descriptor);
    return refused;
}

bool isStale(const std::string& folder, const std::string& name) {
    const long client = clientOf(name);
    if (client <= 1 || client == ::getpid()) {
        return false;
    }
    const std::string path = folder + "/" + name;
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode) &&
           status.st_uid == ::geteuid() && ::kill(static_cast<pid_t>(client), 0) != 0 &&
           errno == ESRCH && nobodyListensOn(path);
}

} // namespace

std::string ImageUtilsSocketFolder::socketName(long pid) {
    return socketPrefix + std::to_string(pid) + socketSuffix;
}

// The fallback folder serves when the runtime folder is missing, not absolute, or too deep for
// a socket address.
std::optional<std::string> ImageUtilsSocketFolder::socketPathForThisProcess() {
    const std::string name = socketName(::getpid());
    constexpr std::size_t addressRoom = sizeof(sockaddr_un::sun_path);
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
        const std::string folder = std::string(runtime) + "/orlix";
        const std::string path = folder + "/" + name;
        if (path.size() < addressRoom && makePrivateFolder(folder)) {
            runtimeSocket() = path;
            removeAtExit();
            return path;
        }
    }
    if (fallbackFolder().empty()) {
        std::string pattern = "/tmp/orlix-" + std::to_string(::getuid()) + "-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            return std::nullopt;
        }
        fallbackFolder() = pattern;
        removeAtExit();
    }
    const std::string path = fallbackFolder() + "/" + name;
    if (path.size() >= addressRoom) {
        return std::nullopt;
    }
    return path;
}

void ImageUtilsSocketFolder::removeStaleSockets(const std::string& folder) {
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(directory)) {
        const std::string name = entry->d_name;
        if (isStale(folder, name)) {
            ::unlink((folder + "/" + name).c_str());
        }
    }
    ::closedir(directory);
}

} // namespace orlix
