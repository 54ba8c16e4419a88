#include "Platform/ProcessStatus.h"

#include <fstream>
#include <iterator>
#include <string>

namespace orlix {

ProcessStatus::State ProcessStatus::of(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat{std::istreambuf_iterator<char>(file), {}};
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
