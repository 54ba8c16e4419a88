#include "Program/ChildProcess.h"

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace orlix::testing {

ChildProcess::ChildProcess(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        pid_ = -1;
    }
}

ChildProcess::~ChildProcess() {
    if (started() && ending_.empty()) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

void ChildProcess::signal(int signalNumber) const {
    if (started()) {
        ::kill(pid_, signalNumber);
    }
}

std::string ChildProcess::ending(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (started() && ending_.empty()) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            ending_ = WIFEXITED(status) ? "exit " + std::to_string(WEXITSTATUS(status))
                                        : "killed by signal " + std::to_string(WTERMSIG(status));
        } else if (std::chrono::steady_clock::now() >= deadline) {
            return "still running";
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    return started() ? ending_ : "not started";
}

} // namespace orlix::testing
