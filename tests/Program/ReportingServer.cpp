#include "Program/ReportingServer.h"

#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orlix::testing {

namespace {

constexpr int kStartTimeoutMilliseconds = 30000;

} // namespace

ReportingServer::ReportingServer(const std::vector<std::string>& arguments) {
    int reportPipe[2];
    if (::pipe(reportPipe) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, reportPipe[1], kReportDescriptor);
    ::posix_spawn_file_actions_addclose(&actions, reportPipe[0]);
    std::vector<char*> argv;
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    if (::posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        pid_ = -1;
    }
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(reportPipe[1]);
    if (pid_ > 0) {
        report_ = readLine(reportPipe[0]);
    }
    ::close(reportPipe[0]);
}

ReportingServer::~ReportingServer() {
    end();
}

void ReportingServer::end() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

// One line once the server serves; a server that dies or says nothing gives none.
std::string ReportingServer::readLine(int descriptor) {
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
