#include "Program/PrivateSessionBus.h"

#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orlix::testing {

namespace {

// The descriptor the daemon writes its address to.
constexpr int kAddressDescriptor = 3;
constexpr int kStartTimeoutMilliseconds = 30000;

} // namespace

PrivateSessionBus::PrivateSessionBus() {
    int addressPipe[2];
    if (::pipe(addressPipe) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, addressPipe[1], kAddressDescriptor);
    ::posix_spawn_file_actions_addclose(&actions, addressPipe[0]);
    const std::string printAddress = "--print-address=" + std::to_string(kAddressDescriptor);
    char* argv[] = {const_cast<char*>("dbus-daemon"), const_cast<char*>("--session"),
                    const_cast<char*>("--nofork"), const_cast<char*>(printAddress.c_str()),
                    nullptr};
    if (::posix_spawnp(&pid_, "dbus-daemon", &actions, nullptr, argv, environ) != 0) {
        pid_ = -1;
    }
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(addressPipe[1]);
    if (pid_ > 0) {
        address_ = readAddress(addressPipe[0]);
    }
    ::close(addressPipe[0]);
}

PrivateSessionBus::~PrivateSessionBus() {
    end();
}

void PrivateSessionBus::end() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

// The daemon prints one line once it listens; a daemon that dies or says nothing gives none.
std::string PrivateSessionBus::readAddress(int descriptor) {
    std::string line;
    pollfd readable{descriptor, POLLIN, 0};
    char character = 0;
    while (::poll(&readable, 1, kStartTimeoutMilliseconds) == 1 &&
           ::read(descriptor, &character, 1) == 1) {
        if (character == '\n') {
            return line;
        }
        line.push_back(character);
    }
    return {};
}

} // namespace orlix::testing
