#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace orlix::testing {

// The pid that the fake service writes into `mark` once a request has reached it, as soon as it
// is not `previous`; 0 when none comes within a minute.
inline pid_t waitForServiceMark(const std::filesystem::path& mark, pid_t previous = 0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    pid_t pid = 0;
    while ((pid == 0 || pid == previous) && std::chrono::steady_clock::now() < deadline) {
        pid = 0;
        std::ifstream(mark) >> pid;
        std::this_thread::yield();
    }
    return pid == previous ? 0 : pid;
}

} // namespace orlix::testing
