#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace orlix::testing {

// A program the test starts with its own environment; killed at the end if it is still running.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    void signal(int signalNumber) const;

    // How the program ended, waiting at most `timeout`: "exit N", "killed by signal N", or
    // "still running".
    std::string ending(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
    std::string ending_;
};

} // namespace orlix::testing
