#include "Export/ImageUtilsConnection.h"

#include "Export/ImageUtilsSocketFolder.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

extern char** environ;

namespace orlix {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto startTimeout = 5s;
constexpr auto startPollInterval = 5ms;
// Bounds connect() itself: a Unix socket connect blocks while the listen backlog is full.
constexpr auto connectTimeout = 2s;
// The service reads a request as soon as it accepts, so a send that stalls this long means it
// is stuck. Replies get no timeout: Zopfli on a large image legitimately takes a long time.
constexpr auto sendTimeout = 30s;
// A live service greets at once, even under load; silence this long means it is gone.
constexpr auto greetingTimeout = 2s;
constexpr auto terminateReplyTimeout = 1s;
constexpr auto terminateExitTimeout = 1s;
constexpr const char* serviceName = "orlix-image-utils";

// Process-wide; never destroyed, so that calls still running on other threads at exit are safe.
struct ServiceState {
    std::mutex mutex;
    std::filesystem::path executableOverride;
    pid_t pid = 0;
    std::string socketPath;
};

ServiceState& state() {
    static ServiceState* const instance = new ServiceState;
    return *instance;
}

class Descriptor {
public:
    explicit Descriptor(int descriptor)
        : descriptor_(descriptor) {}
    ~Descriptor() {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return descriptor_; }
    int release() { return std::exchange(descriptor_, -1); }

private:
    int descriptor_;
};

void setTimeout(int descriptor, int option, std::chrono::milliseconds timeout) {
    timeval value{};
    value.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    value.tv_usec = static_cast<suseconds_t>(timeout.count() % 1000 * 1000);
    ::setsockopt(descriptor, SOL_SOCKET, option, &value, sizeof value);
}

// A connected socket, or -1 with `error` set.
int connectTo(const std::string& path, int& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        error = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    for (;;) {
        Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (socket.get() < 0) {
            error = errno;
            return -1;
        }
        setTimeout(socket.get(), SO_SNDTIMEO, connectTimeout);
        if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
            0) {
            // Only a service that greets will serve: a dying one may still accept.
            setTimeout(socket.get(), SO_RCVTIMEO, greetingTimeout);
            if (!imageutils::receiveGreeting(socket.get())) {
                error = ECONNREFUSED;
                return -1;
            }
            setTimeout(socket.get(), SO_RCVTIMEO, std::chrono::milliseconds(0));
            setTimeout(socket.get(), SO_SNDTIMEO, sendTimeout);
            return socket.release();
        }
        error = errno;
        if (error != EINTR) {
            return -1;
        }
    }
}

// True once `pid` has ended (and is reaped) or is not our child any more.
bool hasExited(pid_t pid) {
    int status = 0;
    pid_t result;
    do {
        result = ::waitpid(pid, &status, WNOHANG);
    } while (result < 0 && errno == EINTR);
    return result != 0;
}

void killAndReap(pid_t pid) {
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// Ends this process's service, which cannot remove its own socket when killed. Caller holds the
// mutex.
void endService(ServiceState& service) {
    killAndReap(service.pid);
    ::unlink(service.socketPath.c_str());
    service.pid = 0;
}

// The service is gone; so goes its socket. Caller holds the mutex.
void forgetService(ServiceState& service) {
    ::unlink(service.socketPath.c_str());
    service.pid = 0;
}

std::filesystem::path serviceExecutable(const ServiceState& service) {
    if (!service.executableOverride.empty()) {
        return service.executableOverride;
    }
    std::error_code error;
    const auto folder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    if (error) {
        return {};
    }
    const auto sibling = folder / serviceName;
    if (::access(sibling.c_str(), X_OK) == 0) {
        return sibling;
    }
    return (folder / ".." / "libexec" / "orlix" / serviceName).lexically_normal();
}

// The service notices through --parent that this process has gone (it polls getppid()), so it
// needs no death signal: PR_SET_PDEATHSIG would fire when the thread that spawned it ends, which
// for an export worker thread is long before the process does.
pid_t spawnService(const std::filesystem::path& program, const std::string& socketPath) {
    const std::string parent = std::to_string(::getpid());
    std::vector<std::string> arguments = {program.string(), "--socket", socketPath, "--parent",
                                          parent};
    std::vector<char*> argv;
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    if (::posix_spawn_file_actions_init(&actions) != 0) {
        return -1;
    }
    if (::posix_spawnattr_init(&attributes) != 0) {
        ::posix_spawn_file_actions_destroy(&actions);
        return -1;
    }
    // Descriptors opened by code that forgot O_CLOEXEC must not leak into the service either.
    ::posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    ::posix_spawnattr_setsigdefault(&attributes, &all);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    const int result =
        ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    return result == 0 ? pid : -1;
}

// Starts a service and waits until it accepts; a connected socket or -1. Caller holds the mutex.
int startService(ServiceState& service) {
    const auto socketPath = ImageUtilsSocketFolder::socketPathForThisProcess();
    const auto program = serviceExecutable(service);
    if (!socketPath || program.empty() || ::access(program.c_str(), X_OK) != 0) {
        return -1;
    }
    ImageUtilsSocketFolder::removeStaleSockets(
        std::filesystem::path(*socketPath).parent_path().string());
    ::unlink(socketPath->c_str());
    const pid_t pid = spawnService(program, *socketPath);
    if (pid <= 0) {
        return -1;
    }
    service.pid = pid;
    service.socketPath = *socketPath;
    const auto deadline = Clock::now() + startTimeout;
    for (;;) {
        int error = 0;
        const int descriptor = connectTo(service.socketPath, error);
        if (descriptor >= 0) {
            return descriptor;
        }
        if (hasExited(pid)) {
            forgetService(service);
            return -1;
        }
        if (Clock::now() >= deadline) {
            endService(service);
            return -1;
        }
        std::this_thread::sleep_for(startPollInterval);
    }
}

// A socket connected to this process's service, starting it when allowed and needed; -1 when
// there is none to be had.
int connectToService(bool mayStart) {
    ServiceState& service = state();
    std::lock_guard lock(service.mutex);
    if (service.pid > 0 && hasExited(service.pid)) {
        forgetService(service);
    }
    if (service.pid > 0) {
        int error = 0;
        const int descriptor = connectTo(service.socketPath, error);
        if (descriptor >= 0) {
            return descriptor;
        }
        // A busy service (full backlog) is left alone; one that no longer listens is replaced.
        if (error != ECONNREFUSED && error != ENOENT) {
            return -1;
        }
        endService(service);
    }
    return mayStart ? startService(service) : -1;
}

} // namespace

Expected<ImageUtilsConnection::Frame, ImageUtilsConnection::Failure>
ImageUtilsConnection::call(const Frame& request) {
    const auto replyType = imageutils::replyTypeFor(request.type);
    if (!replyType || request.payload.size() > imageutils::maxPayloadSize) {
        return Failure::couldNotConnect;
    }
    Descriptor socket(connectToService(true));
    if (socket.get() < 0) {
        return Failure::couldNotConnect;
    }
    if (!imageutils::writeFrame(socket.get(), request)) {
        return Failure::interrupted;
    }
    auto reply = imageutils::readFrame(socket.get());
    if (!reply || reply->type != *replyType) {
        return Failure::interrupted;
    }
    return std::move(*reply);
}

void ImageUtilsConnection::terminate() noexcept {
    try {
        ServiceState& service = state();
        std::lock_guard lock(service.mutex);
        if (service.pid <= 0) {
            return;
        }
        if (hasExited(service.pid)) {
            forgetService(service);
            return;
        }
        int error = 0;
        Descriptor socket(connectTo(service.socketPath, error));
        if (socket.get() >= 0) {
            setTimeout(socket.get(), SO_RCVTIMEO, terminateReplyTimeout);
            if (imageutils::writeFrame(socket.get(),
                                       {imageutils::MessageType::terminateRequest, {}})) {
                imageutils::readFrame(socket.get());
            }
        }
        const auto deadline = Clock::now() + terminateExitTimeout;
        while (!hasExited(service.pid)) {
            if (Clock::now() >= deadline) {
                killAndReap(service.pid);
                break;
            }
            std::this_thread::sleep_for(1ms);
        }
        forgetService(service);
    } catch (...) {
        // Cancelling must not fail the caller; a service left running is replaced on demand.
    }
}

void ImageUtilsConnection::setServiceExecutable(std::filesystem::path path) {
    ServiceState& service = state();
    std::lock_guard lock(service.mutex);
    service.executableOverride = std::move(path);
}

} // namespace orlix
