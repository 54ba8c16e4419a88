#include "ProcessPeaks.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace orlix::bench {

namespace {

double peakKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6));
        }
    }
    return 0;
}

// Each thread lists the children it started.
std::vector<pid_t> childrenOf(pid_t pid) {
    std::vector<pid_t> children;
    std::error_code error;
    const auto tasks = std::filesystem::path("/proc") / std::to_string(pid) / "task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream list(task.path() / "children");
        for (pid_t child = 0; list >> child;) {
            children.push_back(child);
        }
    }
    return children;
}

} // namespace

void ProcessPeaks::look(pid_t program) {
    program_ = std::max(program_, peakKilobytes(program));
    for (const pid_t child : childrenOf(program)) {
        child_ = std::max(child_, peakKilobytes(child));
    }
}

} // namespace orlix::bench
