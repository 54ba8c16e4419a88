#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace orlix::testing {

// The fake service, which lies beside the test programs.
inline std::filesystem::path fakeServiceProgram() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "fake-image-utils";
}

// The processes that the fake service has listed in `mark`, one for each request that reached
// them, in the order the requests came.
inline std::vector<pid_t> serviceMarks(const std::filesystem::path& mark) {
    std::vector<pid_t> pids;
    std::ifstream file(mark);
    for (pid_t pid = 0; file >> pid;) {
        pids.push_back(pid);
    }
    return pids;
}

// The process the latest request reached, as soon as it is not `previous`; 0 when none comes
// within a minute.
inline pid_t waitForServiceMark(const std::filesystem::path& mark, pid_t previous = 0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < deadline) {
        const auto pids = serviceMarks(mark);
        if (!pids.empty() && pids.back() != previous) {
            return pids.back();
        }
        std::this_thread::yield();
    }
    return 0;
}

} // namespace orlix::testing
