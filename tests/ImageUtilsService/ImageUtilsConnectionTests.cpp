#include "Export/ImageUtilsConnection.h"

#include "Export/FakeServiceMark.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"
#include "TestPNG.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <thread>

extern char** environ;

namespace orlix {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using imageutils::Frame;
using imageutils::MessageType;
using Failure = ImageUtilsConnection::Failure;
using Clock = std::chrono::steady_clock;

std::string readFile(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), {}};
}

// The services this test process started and has not reaped, found through /proc.
std::set<pid_t> servicePids() {
    std::set<pid_t> pids;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const std::string stat = readFile(entry.path() / "stat");
        const auto close = stat.rfind(')');
        if (close == std::string::npos || stat.find("(orlix-image-ut") == std::string::npos) {
            continue;
        }
        char state = 0;
        int parent = 0;
        if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &parent) == 2 &&
            parent == ::getpid() && state != 'Z') {
            pids.insert(std::stoi(name));
        }
    }
    return pids;
}

pid_t theService() {
    const auto pids = servicePids();
    EXPECT_EQ(pids.size(), 1u);
    return pids.empty() ? -1 : *pids.begin();
}

// The --socket argument the service was started with.
fs::path socketOf(pid_t pid) {
    const std::string arguments = readFile("/proc/" + std::to_string(pid) + "/cmdline");
    std::vector<std::string> parts;
    for (std::size_t start = 0; start < arguments.size();) {
        const auto end = arguments.find('\0', start);
        parts.push_back(arguments.substr(start, end - start));
        start = end + 1;
    }
    for (std::size_t index = 0; index + 1 < parts.size(); ++index) {
        if (parts[index] == "--socket") {
            return parts[index + 1];
        }
    }
    return {};
}

mode_t modeOf(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

imageutils::QuantizeRequest quantizeRequest(std::uint32_t width, std::uint32_t height) {
    const auto image = testing::makeTestImage(width, height);
    imageutils::QuantizeRequest request;
    request.pixels = image.rgba;
    request.width = width;
    request.height = height;
    return request;
}

Expected<Frame, Failure> zopfliCall(const testing::Bytes& png) {
    return ImageUtilsConnection::call(imageutils::ZopfliRequest{png}.encode());
}

void expectValidQuantization(const Expected<Frame, Failure>& frame, std::size_t pixelCount) {
    ASSERT_TRUE(frame);
    const auto reply = imageutils::QuantizeReply::decode(*frame);
    ASSERT_TRUE(reply);
    ASSERT_TRUE(reply->hasResult);
    ASSERT_EQ(reply->palette.size() % 4, 0u);
    const std::size_t entries = reply->palette.size() / 4;
    EXPECT_GE(entries, 2u);
    EXPECT_LE(entries, 256u);
    ASSERT_EQ(reply->palettizedPixels.size(), pixelCount);
    for (const std::uint8_t index : reply->palettizedPixels) {
        ASSERT_LT(index, entries);
    }
}

class ImageUtilsConnectionTest : public ::testing::Test {
protected:
    void TearDown() override {
        ImageUtilsConnection::terminate();
        ImageUtilsConnection::setServiceExecutable({});
    }
};

TEST_F(ImageUtilsConnectionTest, QuantizesWithBothQuantizers) {
    auto request = quantizeRequest(64, 48);
    expectValidQuantization(ImageUtilsConnection::call(request.encode()), 64 * 48);
    request.quantizer = imageutils::QuantizeRequest::Quantizer::builtIn;
    request.paletteSize = 16;
    request.highQuality = true;
    expectValidQuantization(ImageUtilsConnection::call(request.encode()), 64 * 48);

    // A refused image is an answer, not a broken connection.
    request.width = request.height = 0;
    request.pixels.clear();
    const auto empty = ImageUtilsConnection::call(request.encode());
    ASSERT_TRUE(empty);
    EXPECT_FALSE(imageutils::QuantizeReply::decode(*empty)->hasResult);
}

TEST_F(ImageUtilsConnectionTest, ZopfliKeepsPixelsAndReportsUnreadableFiles) {
    const auto png = testing::encodePNG(testing::makeTestImage(200, 150), 1);
    const auto frame = zopfliCall(png);
    ASSERT_TRUE(frame);
    const auto reply = imageutils::ZopfliReply::decode(*frame);
    ASSERT_TRUE(reply && reply->success);
    EXPECT_LT(reply->png.size(), png.size());
    EXPECT_EQ(testing::decodePNG(reply->png)->rgba, testing::decodePNG(png)->rgba);

    const auto broken = zopfliCall({1, 2, 3});
    ASSERT_TRUE(broken);
    EXPECT_FALSE(imageutils::ZopfliReply::decode(*broken)->success);
}

TEST_F(ImageUtilsConnectionTest, ConcurrentCallsShareOneService) {
    std::vector<std::thread> threads;
    std::atomic<int> succeeded{0};
    for (int index = 0; index < 8; ++index) {
        threads.emplace_back([&] {
            const auto frame = ImageUtilsConnection::call(quantizeRequest(32, 32).encode());
            if (frame && imageutils::QuantizeReply::decode(*frame)) {
                ++succeeded;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(succeeded, 8);
    EXPECT_EQ(servicePids().size(), 1u);
}

TEST_F(ImageUtilsConnectionTest, TerminateEndsTheServiceAndTheNextCallStartsAnother) {
    ImageUtilsConnection::terminate(); // none runs: nothing to do, nothing started
    EXPECT_TRUE(servicePids().empty());

    ASSERT_TRUE(ImageUtilsConnection::call(quantizeRequest(8, 8).encode()));
    const pid_t first = theService();
    ImageUtilsConnection::terminate();
    EXPECT_TRUE(servicePids().empty());

    ASSERT_TRUE(ImageUtilsConnection::call(quantizeRequest(8, 8).encode()));
    EXPECT_NE(theService(), first);
}

// The fake service holds the Zopfli call for as long as the test wants: at a gate the test opens
// after the kill, or for a minute, which the terminate cuts short.
TEST_F(ImageUtilsConnectionTest, TerminateEndsCallsInFlightButACallWhoseServiceDiedIsMadeAgain) {
    const testing::TemporaryDirectory folder;
    const auto gate = folder.path() / "gate";
    const auto held = folder.path() / "gate.held";
    const auto hanging = folder.path() / "hanging";
    ImageUtilsConnection::setServiceExecutable(testing::fakeServiceProgram());
    testing::ScopedEnvironment gateVariable("ORLIX_FAKE_GATE", gate.string());
    testing::ScopedEnvironment markVariable("ORLIX_FAKE_MARK", hanging.string());
    const auto png = testing::encodePNG(testing::makeTestImage(64, 48), 0);

    for (const bool byTerminate : {false, true}) {
        SCOPED_TRACE(byTerminate ? "terminate" : "SIGKILL");
        // Each case on a service started with its own instructions.
        ImageUtilsConnection::terminate();
        std::optional<testing::ScopedEnvironment> hang;
        if (byTerminate) {
            hang.emplace("ORLIX_FAKE_REPLY", "hang-zopfli");
        }
        std::optional<Expected<Frame, Failure>> outcome;
        Clock::time_point ended;
        std::thread caller([&] {
            outcome = zopfliCall(png);
            ended = Clock::now();
        });
        const pid_t service = testing::waitForServiceMark(byTerminate ? hanging : held);
        EXPECT_GT(service, 0) << "the service never got the call";
        const auto stopped = Clock::now();
        if (byTerminate) {
            ImageUtilsConnection::terminate();
        } else {
            ::kill(service, SIGKILL);
            std::ofstream(gate).flush();
        }
        caller.join();
        if (byTerminate) {
            ASSERT_FALSE(*outcome) << "the call finished before it was stopped";
            EXPECT_EQ(outcome->error(), Failure::terminated);
            EXPECT_LT(ended - stopped, 30s) << "the call waited for the service's minute";
        } else {
            ASSERT_TRUE(*outcome) << "the call was not made again";
            EXPECT_TRUE(imageutils::ZopfliReply::decode(**outcome)->success);
            EXPECT_NE(testing::serviceMarks(held).back(), service) << "made again on a new service";
        }
        expectValidQuantization(ImageUtilsConnection::call(quantizeRequest(4, 4).encode()), 16);
    }
}

TEST_F(ImageUtilsConnectionTest, MissingServiceFailsToConnectAtOnce) {
    ImageUtilsConnection::setServiceExecutable("/nonexistent/orlix-image-utils");
    const auto started = Clock::now();
    const auto outcome = ImageUtilsConnection::call(quantizeRequest(4, 4).encode());
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.error(), Failure::couldNotConnect);
    EXPECT_LT(Clock::now() - started, 3s);

    // A program that exits at once is noticed without waiting out the start timeout.
    ImageUtilsConnection::setServiceExecutable("/bin/false");
    const auto exits = ImageUtilsConnection::call(quantizeRequest(4, 4).encode());
    ASSERT_FALSE(exits);
    EXPECT_EQ(exits.error(), Failure::couldNotConnect);
    EXPECT_LT(Clock::now() - started, 4s) << "within the start's 5 seconds";

    // Replies are never requests.
    ImageUtilsConnection::setServiceExecutable({});
    const auto notARequest = ImageUtilsConnection::call({MessageType::zopfliReply, {}});
    EXPECT_FALSE(notARequest);
}

TEST_F(ImageUtilsConnectionTest, SocketLivesInAPrivateFolder) {
    testing::TemporaryDirectory runtime;
    const std::string tooLong = runtime.path().string() + "/" + std::string(100, 'r');
    fs::create_directories(tooLong);
    const std::string socketName = "image-utils-" + std::to_string(::getpid()) + ".sock";
    struct Case {
        const char* name;
        std::optional<std::string> runtimeFolder;
        bool fallback;
    };
    for (const Case& test :
         {Case{"runtime folder", runtime.path().string(), false}, Case{"unset", std::nullopt, true},
          Case{"relative", "run", true}, Case{"too long", tooLong, true}}) {
        SCOPED_TRACE(test.name);
        testing::ScopedEnvironment environment("XDG_RUNTIME_DIR", test.runtimeFolder);
        ASSERT_TRUE(ImageUtilsConnection::call(quantizeRequest(4, 4).encode()));
        const fs::path socket = socketOf(theService());
        EXPECT_EQ(socket.filename(), socketName);
        if (test.fallback) {
            EXPECT_EQ(socket.parent_path().parent_path(), "/tmp");
            EXPECT_EQ(socket.parent_path().filename().string().rfind(
                          "orlix-" + std::to_string(::getuid()) + "-", 0),
                      0u);
        } else {
            EXPECT_EQ(socket.parent_path(), runtime.path() / "orlix");
        }
        EXPECT_EQ(modeOf(socket.parent_path()), 0700u);
        EXPECT_EQ(modeOf(socket), 0600u);
        ImageUtilsConnection::terminate();
    }
}

// A socket file nobody listens on, as a killed service leaves it.
void leaveSocketFile(const fs::path& path) {
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    EXPECT_EQ(::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(descriptor);
}

pid_t aPidNobodyHas() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST_F(ImageUtilsConnectionTest, NoSocketOutlivesItsServiceAndDeadOnesAreCleanedAtStart) {
    testing::TemporaryDirectory runtime;
    testing::ScopedEnvironment environment("XDG_RUNTIME_DIR", runtime.path().string());
    const fs::path folder = runtime.path() / "orlix";
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_all);
    const fs::path stale = folder / ("image-utils-" + std::to_string(aPidNobodyHas()) + ".sock");
    // pid 1 always lives, so its socket is not provably dead; a file that is no socket is no
    // service's either.
    const fs::path living = folder / "image-utils-1.sock";
    const fs::path notASocket =
        folder / ("image-utils-" + std::to_string(aPidNobodyHas()) + ".sock");
    leaveSocketFile(stale);
    leaveSocketFile(living);
    std::ofstream(notASocket) << "x";

    ASSERT_TRUE(ImageUtilsConnection::call(quantizeRequest(4, 4).encode()));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(living));
    EXPECT_TRUE(fs::exists(notASocket));
    const fs::path own = socketOf(theService());
    EXPECT_TRUE(fs::exists(own));
    ImageUtilsConnection::terminate();
    EXPECT_FALSE(fs::exists(own));

    // A service killed behind the client's back: its replacement's socket goes with terminate.
    ASSERT_TRUE(ImageUtilsConnection::call(quantizeRequest(4, 4).encode()));
    ::kill(theService(), SIGKILL);
    ASSERT_TRUE(ImageUtilsConnection::call(quantizeRequest(4, 4).encode()));
    ImageUtilsConnection::terminate();
    EXPECT_FALSE(fs::exists(own));

    // A client that exits while its service runs leaves nothing either.
    const pid_t client = ::fork();
    if (client == 0) {
        const bool answered = ImageUtilsConnection::call(quantizeRequest(4, 4).encode()).hasValue();
        std::exit(
            answered && fs::exists(folder / ("image-utils-" + std::to_string(::getpid()) + ".sock"))
                ? 0
                : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(client, &status, 0), client);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(fs::exists(folder / ("image-utils-" + std::to_string(client) + ".sock")));
}

// A service started by hand on a socket of the test's choosing, for what the client never sends.
class DirectService {
public:
    explicit DirectService(const fs::path& socket)
        : socket_(socket) {
        const auto program = fs::read_symlink("/proc/self/exe").parent_path() / "orlix-image-utils";
        const std::string parent = std::to_string(::getpid());
        std::vector<std::string> arguments = {program, "--socket", socket, "--parent", parent};
        std::vector<char*> argv;
        for (auto& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        EXPECT_EQ(::posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv.data(), environ), 0);
        // The socket's file appears when it is bound, a moment before it listens: wait for a
        // connection to be taken, not for the file, as long as a loaded machine may take.
        for (int attempt = 0; attempt < 6000; ++attempt) {
            if (const int descriptor = connect(); descriptor >= 0) {
                ::close(descriptor);
                break;
            }
            std::this_thread::sleep_for(10ms);
        }
    }
    ~DirectService() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }

    int connect() const {
        const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, socket_.c_str());
        if (::connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(descriptor);
            return -1;
        }
        return descriptor;
    }

    // A connection the service has agreed to serve.
    int connectGreeted() const {
        const int descriptor = connect();
        timeval timeout{30, 0};
        if (descriptor >= 0 &&
            (::setsockopt(descriptor, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) != 0 ||
             !imageutils::receiveGreeting(descriptor))) {
            ::close(descriptor);
            return -1;
        }
        return descriptor;
    }

    // Whether a quantise request on a fresh connection is answered.
    bool answers() const {
        const int descriptor = connectGreeted();
        const bool answered = descriptor >= 0 &&
                              imageutils::writeFrame(descriptor, quantizeRequest(2, 2).encode()) &&
                              imageutils::readFrame(descriptor).has_value();
        if (descriptor >= 0) {
            ::close(descriptor);
        }
        return answered;
    }

private:
    fs::path socket_;
    pid_t pid_ = -1;
};

TEST(ImageUtilsService, ClosesConnectionsThatSendBrokenFramesAndGoesOn) {
    testing::TemporaryDirectory folder;
    DirectService service(folder.path() / "service.sock");
    ASSERT_TRUE(service.answers());
    const std::vector<testing::Bytes> broken = {
        {'n', 'o', 't', ' ', 'a', ' ', 'f', 'r', 'a', 'm', 'e'},
        {'O', 'X', 'I', 'U', 2, 0, 0, 0, 0},              // a reply sent as a request
        {'O', 'X', 'I', 'U', 1, 1, 0, 0, 0, 0},           // a quantise request of one byte
        {'O', 'X', 'I', 'U', 3, 0xFF, 0xFF, 0xFF, 0xFF}}; // a payload beyond the limit
    for (const auto& bytes : broken) {
        const int descriptor = service.connectGreeted();
        ASSERT_GE(descriptor, 0);
        ASSERT_EQ(::send(descriptor, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
        EXPECT_FALSE(imageutils::readFrame(descriptor));
        ::close(descriptor);
    }
    EXPECT_TRUE(service.answers());
}

TEST(ImageUtilsService, RefusesPeersOfAnotherUser) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to connect as another user";
    }
    testing::TemporaryDirectory folder;
    const fs::path socket = folder.path() / "service.sock";
    DirectService service(socket);
    // Let the other user reach the socket, so that only the service's own check stands between.
    fs::permissions(folder.path(), fs::perms::all);
    fs::permissions(socket, fs::perms::all);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(3);
        }
        const int descriptor = service.connect();
        if (descriptor < 0) {
            ::_exit(2);
        }
        timeval timeout{30, 0};
        ::setsockopt(descriptor, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        ::send(descriptor, "x", 1, MSG_NOSIGNAL); // the service may close before this arrives
        char byte = 0;
        const ssize_t got = ::recv(descriptor, &byte, 1, 0);
        ::_exit(got == 0 || (got < 0 && errno == ECONNRESET) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not refused, 2: could not connect, 3: no setuid";
    EXPECT_TRUE(service.answers());
}

} // namespace
} // namespace orlix
