#include "Platform/ChildProcess.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>

namespace orlix {
namespace {

std::string procEntry(pid_t pid, const char* name) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/" + name);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Whether `signal` is in the mask /proc gives under `key` ("SigBlk", "SigIgn").
bool inSignalMask(pid_t pid, const std::string& key, int signal) {
    const auto status = procEntry(pid, "status");
    const auto start = status.find("\n" + key + ":\t");
    if (start == std::string::npos) {
        ADD_FAILURE() << key << " missing";
        return true;
    }
    const auto mask = std::stoull(status.substr(start + key.size() + 3, 16), nullptr, 16);
    return (mask >> (signal - 1)) & 1U;
}

// Waits until the child, past its exec and its loader's own descriptors, sits in `call`.
bool waitsIn(pid_t pid, long call) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (procEntry(pid, "syscall").rfind(std::to_string(call) + " ", 0) != 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// What the child inherits is what a fresh program expects, whatever this process has open,
// blocked or ignored; and the wait for it is bounded.
TEST(ChildProcessTests, AProgramFromThePathGetsItsArgumentsTheStandardDescriptorsAndNoSignalState) {
    const int leaked = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(leaked, 0);
    sigset_t blocked;
    sigset_t previous;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR2);
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &blocked, &previous), 0);
    const auto hangup = ::signal(SIGHUP, SIG_IGN);

    const pid_t pid = ChildProcess::spawn({"sh", "-c", "sleep 30; :", "a b", "", "c'd"});
    // The shell clears its mask itself; sleep shows what it was given.
    const pid_t sleeper = ChildProcess::spawn({"sleep", "30"});
    ::signal(SIGHUP, hangup);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(leaked);
    ASSERT_GT(pid, 0);
    ASSERT_GT(sleeper, 0);

    ASSERT_TRUE(waitsIn(pid, SYS_wait4));
    ASSERT_TRUE(waitsIn(sleeper, SYS_clock_nanosleep));
    using namespace std::string_literals;
    EXPECT_EQ(procEntry(pid, "cmdline"), "sh\0-c\0sleep 30; :\0a b\0\0c'd\0"s);
    std::set<std::string> descriptors;
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd")) {
        descriptors.insert(entry.path().filename().string());
    }
    EXPECT_EQ(descriptors, (std::set<std::string>{"0", "1", "2"}));
    EXPECT_FALSE(inSignalMask(sleeper, "SigBlk", SIGUSR2));
    EXPECT_FALSE(inSignalMask(pid, "SigIgn", SIGHUP));

    EXPECT_FALSE(ChildProcess::reap(pid, std::chrono::milliseconds(20)));
    ::kill(pid, SIGKILL);
    ::kill(sleeper, SIGKILL);
    EXPECT_TRUE(ChildProcess::reap(pid, std::chrono::seconds(10)));
    EXPECT_TRUE(ChildProcess::reap(sleeper, std::chrono::seconds(10)));
    EXPECT_TRUE(ChildProcess::hasExited(pid)) << "a reaped child is no child any more";
    EXPECT_EQ(ChildProcess::spawn({"orlix-no-such-program"}), -1);
}

} // namespace
} // namespace orlix
