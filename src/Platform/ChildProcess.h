#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace orlix {

// Another program, started by posix_spawn: the child shares this process's memory until its exec,
// where a fork would copy the page tables of every picture and library mapped and make each of
// this process's threads fault on its next write to any of those pages.
class ChildProcess {
public:
    // Runs `arguments[0]` (looked up in PATH when it holds no slash) with its signals at their
    // defaults and unblocked and only the standard descriptors of this process. Its pid, or -1.
    static pid_t spawn(const std::vector<std::string>& arguments);
    // True once `pid` has ended and been reaped, or is no child of this process.
    static bool hasExited(pid_t pid);
    // Reaps `pid` if it ends within `limit`; whether it did.
    static bool reap(pid_t pid, std::chrono::milliseconds limit);
};

} // namespace orlix
