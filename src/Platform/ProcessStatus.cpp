#include "Platform/ProcessStatus.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace orlix {

namespace {

// The process's stat line; empty when it cannot be read. Read with plain system calls: a process
// that ends while its file is read fails the read with ESRCH, which a file stream would throw.
std::string statLine(pid_t pid) {
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return {};
    }
    std::string line;
    char buffer[512];
    for (;;) {
        const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        line.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(descriptor);
    return line;
}

} // namespace

ProcessStatus::State ProcessStatus::of(pid_t pid) {
    const std::string stat = statLine(pid);
    // The state follows the command name, which is in parentheses and may itself hold any of them.
    const auto nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos || nameEnd + 2 >= stat.size()) {
        return State::ended;
    }
    switch (stat[nameEnd + 2]) {
    case 'T':
    case 't':
        return State::stopped;
    case 'Z':
    case 'X':
    case 'x':
        return State::ended;
    default:
        return State::running;
    }
}

} // namespace orlix
