#include "Export/ImageUtilsConnection.h"

#include "Export/ImageUtilsSocketFolder.h"
#include "Platform/ChildProcess.h"
#include "Platform/ProcessStatus.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace orlix {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto startTimeout = 5s;
constexpr auto startPollInterval = 5ms;
// Bounds connect() itself: a Unix socket connect blocks while the listen backlog is full.
constexpr auto connectTimeout = 2s;
// A running service greets at once, even under load; one that runs and stays silent this long
// is wedged, and is replaced.
constexpr auto greetingLimit = 10s;
constexpr auto terminateReplyTimeout = 1s;
constexpr auto terminateExitTimeout = 1s;
// How long a service whose connection dropped is given to show that it has died.
constexpr auto deathNoticeLimit = 2s;
constexpr auto deathNoticePollInterval = 5ms;
constexpr const char* serviceName = "orlix-image-utils";

std::atomic<std::chrono::milliseconds::rep> livenessInterval{
    ImageUtilsConnection::defaultLivenessCheckInterval.count()};

std::chrono::milliseconds checkInterval() {
    return std::chrono::milliseconds(livenessInterval.load());
}

// Why a service went away, as the calls connected to it learn it.
enum class Ending { none, terminated, replaced };

// One started service. Calls hold it while they wait, also after it has been replaced.
struct ServiceInstance {
    ServiceInstance(pid_t pid, std::string socketPath)
        : pid(pid)
        , socketPath(std::move(socketPath)) {}

    const pid_t pid;
    const std::string socketPath;
    std::atomic<Ending> ending{Ending::none};
};

using Instance = std::shared_ptr<ServiceInstance>;

// Process-wide; never destroyed, so that calls still running on other threads at exit are safe.
struct ServiceState {
    std::mutex mutex;
    std::filesystem::path executableOverride;
    Instance current;
};

ServiceState& state() {
    static ServiceState* const instance = new ServiceState;
    return *instance;
}

// The turn of the calls made once more: one at a time, so that one that brings its new service
// down too does so on its own, and costs no other call its second chance.
class RetryTurn {
public:
    // Waits for the turn while the work goes on; `held` tells whether it came first.
    explicit RetryTurn(const ImageUtilsConnection::KeepGoing& goesOn) {
        Turns& turns = shared();
        std::unique_lock lock(turns.mutex);
        while (turns.taken) {
            if (!goesOn()) {
                return;
            }
            turns.given.wait_for(lock, checkInterval());
        }
        turns.taken = held_ = true;
    }
    ~RetryTurn() {
        if (!held_) {
            return;
        }
        Turns& turns = shared();
        {
            std::lock_guard lock(turns.mutex);
            turns.taken = false;
        }
        turns.given.notify_one();
    }
    RetryTurn(const RetryTurn&) = delete;
    RetryTurn& operator=(const RetryTurn&) = delete;

    bool held() const { return held_; }

private:
    struct Turns {
        std::mutex mutex;
        std::condition_variable given;
        bool taken = false;
    };
    static Turns& shared() {
        static Turns* const turns = new Turns;
        return *turns;
    }

    bool held_ = false;
};

// What a single attempt of a call came to. `lost`: the service went away under the call, whatever
// the reason (it died, was killed, or was found stopped and replaced); `failed`: a service that
// lives answered badly or closed the connection unanswered.
enum class Attempt { couldNotConnect, failed, terminated, lost };

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

struct Connection {
    int descriptor;
    Instance instance;
};

// Asked each time a wait on a service's socket has lasted a check interval: go on while the
// service runs, however long its work takes. A stop counts when seen at two checks in a row,
// since a terminal's stop and continue reach Orlix and its service one after the other.
class LivenessWatch {
public:
    enum class Verdict { alive, stopped, ended, endedByClient, silent };

    explicit LivenessWatch(Instance instance, std::optional<Clock::time_point> deadline = {},
                           bool followsEnding = true)
        : instance_(std::move(instance))
        , deadline_(deadline)
        , followsEnding_(followsEnding) {}

    bool keepWaiting() {
        if (followsEnding_ && instance_->ending.load() != Ending::none) {
            return give(Verdict::endedByClient);
        }
        switch (ProcessStatus::of(instance_->pid)) {
        case ProcessStatus::State::running:
            stoppedSightings_ = 0;
            break;
        case ProcessStatus::State::stopped:
            if (++stoppedSightings_ >= 2) {
                return give(Verdict::stopped);
            }
            break;
        case ProcessStatus::State::ended:
            return give(Verdict::ended);
        }
        return !deadline_ || Clock::now() < *deadline_ || give(Verdict::silent);
    }

    imageutils::KeepWaiting asCallback() {
        return [this] { return keepWaiting(); };
    }

    Verdict verdict() const { return verdict_; }

private:
    bool give(Verdict verdict) {
        verdict_ = verdict;
        return false;
    }

    Instance instance_;
    std::optional<Clock::time_point> deadline_;
    bool followsEnding_;
    int stoppedSightings_ = 0;
    Verdict verdict_ = Verdict::alive;
};

void setTimeout(int descriptor, int option, std::chrono::milliseconds timeout) {
    timeval value{};
    value.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    value.tv_usec = static_cast<suseconds_t>(timeout.count() % 1000 * 1000);
    ::setsockopt(descriptor, SOL_SOCKET, option, &value, sizeof value);
}

// A socket connected to `instance` that its service has greeted, or -1 with `error` set.
int connectTo(const ServiceInstance& instance, int& error, LivenessWatch& watch) {
    const std::string& path = instance.socketPath;
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
            // Only a service that greets will serve: a dying or stopped one may still accept.
            setTimeout(socket.get(), SO_RCVTIMEO, checkInterval());
            if (!imageutils::receiveGreeting(socket.get(), watch.asCallback())) {
                error = ECONNREFUSED;
                return -1;
            }
            setTimeout(socket.get(), SO_SNDTIMEO, checkInterval());
            return socket.release();
        }
        error = errno;
        if (error != EINTR) {
            return -1;
        }
    }
}

void killAndReap(pid_t pid) {
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// Kills and reaps the service if it is still the current one (else it has been reaped already,
// and its pid may belong to another process), and removes its socket. Caller holds the mutex.
void endService(ServiceState& service, const Instance& instance) {
    if (service.current != instance) {
        return;
    }
    killAndReap(instance->pid);
    ::unlink(instance->socketPath.c_str());
    service.current.reset();
}

// A service that lives but no longer serves is ended; its calls in flight learn that this
// client cut them.
void replaceService(ServiceState& service, const Instance& instance) {
    Ending none = Ending::none;
    instance->ending.compare_exchange_strong(none, Ending::replaced);
    endService(service, instance);
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
    return ChildProcess::spawn(
        {program.string(), "--socket", socketPath, "--parent", std::to_string(::getpid())});
}

// Starts a service and waits until it greets; a connection to it, or nothing. Caller holds the
// mutex.
std::optional<Connection> startService(ServiceState& service) {
    const auto socketPath = ImageUtilsSocketFolder::socketPathForThisProcess();
    const auto program = serviceExecutable(service);
    if (!socketPath || program.empty() || ::access(program.c_str(), X_OK) != 0) {
        return std::nullopt;
    }
    ImageUtilsSocketFolder::removeStaleSockets(
        std::filesystem::path(*socketPath).parent_path().string());
    ::unlink(socketPath->c_str());
    const pid_t pid = spawnService(program, *socketPath);
    if (pid <= 0) {
        return std::nullopt;
    }
    service.current = std::make_shared<ServiceInstance>(pid, *socketPath);
    const Instance instance = service.current;
    const auto deadline = Clock::now() + startTimeout;
    for (;;) {
        LivenessWatch watch(instance, Clock::now() + greetingLimit);
        int error = 0;
        const int descriptor = connectTo(*instance, error, watch);
        if (descriptor >= 0) {
            return Connection{descriptor, instance};
        }
        if (ChildProcess::hasExited(pid)) {
            ::unlink(socketPath->c_str());
            service.current.reset();
            return std::nullopt;
        }
        if (Clock::now() >= deadline) {
            endService(service, instance);
            return std::nullopt;
        }
        std::this_thread::sleep_for(startPollInterval);
    }
}

// A connection to this process's service, starting one when none serves; nothing when there is
// none to be had.
std::optional<Connection> connectToService() {
    ServiceState& service = state();
    std::lock_guard lock(service.mutex);
    if (service.current && ChildProcess::hasExited(service.current->pid)) {
        // It died on its own; its calls in flight fail by themselves.
        ::unlink(service.current->socketPath.c_str());
        service.current.reset();
    }
    if (const Instance instance = service.current) {
        LivenessWatch watch(instance, Clock::now() + greetingLimit);
        int error = 0;
        const int descriptor = connectTo(*instance, error, watch);
        if (descriptor >= 0) {
            return Connection{descriptor, instance};
        }
        // A busy service (full backlog) is left alone; one that no longer serves is replaced.
        if (error != ECONNREFUSED && error != ENOENT) {
            return std::nullopt;
        }
        if (ProcessStatus::of(instance->pid) == ProcessStatus::State::ended) {
            endService(service, instance);
        } else {
            replaceService(service, instance);
        }
    }
    return startService(service);
}

// Whether a service whose connection dropped unanswered has died: its sockets close as it exits,
// a moment before /proc shows it gone, so it is given that moment. One that lives on closed the
// connection itself.
bool hasDied(const ServiceInstance& instance) {
    const auto deadline = Clock::now() + deathNoticeLimit;
    while (ProcessStatus::of(instance.pid) != ProcessStatus::State::ended) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(deathNoticePollInterval);
    }
    return true;
}

// What became of a call that got no fitting reply. A service found stopped is replaced; every
// call it held, this one included, has lost its service.
Attempt whyUnanswered(const Instance& instance, const LivenessWatch& watch) {
    if (watch.verdict() == LivenessWatch::Verdict::stopped) {
        ServiceState& service = state();
        std::lock_guard lock(service.mutex);
        replaceService(service, instance);
    }
    switch (instance->ending.load()) {
    case Ending::terminated:
        return Attempt::terminated;
    case Ending::replaced:
        return Attempt::lost;
    case Ending::none:
        break;
    }
    return hasDied(*instance) ? Attempt::lost : Attempt::failed;
}

Expected<imageutils::Frame, Attempt> attempt(const imageutils::Frame& request,
                                             imageutils::MessageType replyType) {
    const auto connection = connectToService();
    if (!connection) {
        return Attempt::couldNotConnect;
    }
    Descriptor socket(connection->descriptor);
    LivenessWatch watch(connection->instance);
    const auto keepWaiting = watch.asCallback();
    std::optional<imageutils::Frame> reply;
    if (imageutils::writeFrame(socket.get(), request, keepWaiting)) {
        reply = imageutils::readFrame(socket.get(), keepWaiting);
    }
    if (reply && reply->type == replyType) {
        return std::move(*reply);
    }
    return whyUnanswered(connection->instance, watch);
}

} // namespace

Expected<ImageUtilsConnection::Frame, ImageUtilsConnection::Failure>
ImageUtilsConnection::call(const Frame& request, const KeepGoing& keepGoing) {
    const auto replyType = imageutils::replyTypeFor(request.type);
    if (!replyType || request.payload.size() > imageutils::maxPayloadSize) {
        return Failure::couldNotConnect;
    }
    const auto goesOn = [&] { return !keepGoing || keepGoing(); };
    auto outcome = attempt(request, *replyType);
    // Which call brought its service down cannot be told, so each call it held gets one more
    // service, in turn; one that loses that one too fails for good.
    if (!outcome && outcome.error() == Attempt::lost) {
        const RetryTurn turn(goesOn);
        if (turn.held() && goesOn()) {
            outcome = attempt(request, *replyType);
        }
    }
    if (outcome) {
        return std::move(*outcome);
    }
    switch (outcome.error()) {
    case Attempt::couldNotConnect:
        return Failure::couldNotConnect;
    case Attempt::terminated:
        return Failure::terminated;
    case Attempt::failed:
    case Attempt::lost:
        break;
    }
    return Failure::failed;
}

void ImageUtilsConnection::terminate() noexcept {
    try {
        ServiceState& service = state();
        std::lock_guard lock(service.mutex);
        const Instance instance = service.current;
        if (!instance) {
            return;
        }
        if (!ChildProcess::hasExited(instance->pid)) {
            LivenessWatch watch(instance, Clock::now() + terminateReplyTimeout, false);
            int error = 0;
            Descriptor socket(connectTo(*instance, error, watch));
            // From here on the calls in flight know their connection's end for a cancel.
            instance->ending = Ending::terminated;
            if (socket.get() >= 0) {
                setTimeout(socket.get(), SO_RCVTIMEO, terminateReplyTimeout);
                if (imageutils::writeFrame(socket.get(),
                                           {imageutils::MessageType::terminateRequest, {}})) {
                    imageutils::readFrame(socket.get());
                }
            }
            const auto deadline = Clock::now() + terminateExitTimeout;
            while (!ChildProcess::hasExited(instance->pid)) {
                if (Clock::now() >= deadline) {
                    killAndReap(instance->pid);
                    break;
                }
                std::this_thread::sleep_for(1ms);
            }
        }
        ::unlink(instance->socketPath.c_str());
        service.current.reset();
    } catch (...) {
        // Cancelling must not fail the caller; a service left running is replaced on demand.
    }
}

void ImageUtilsConnection::setServiceExecutable(std::filesystem::path path) {
    ServiceState& service = state();
    std::lock_guard lock(service.mutex);
    service.executableOverride = std::move(path);
}

void ImageUtilsConnection::setLivenessCheckInterval(std::chrono::milliseconds interval) {
    livenessInterval = std::max<std::chrono::milliseconds::rep>(interval.count(), 1);
}

} // namespace orlix
