#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace orlix::testing {

// The helper processes that run a given program on a given session bus, found through /proc:
// those the programs under test started, and no other test's.
class SessionHelpers {
public:
    SessionHelpers(std::filesystem::path program, std::string busAddress)
        : program_(std::move(program))
        , busAddress_(std::move(busAddress)) {}

    std::vector<pid_t> running() const;
    // SIGTERM, and SIGKILL for those still there after a bounded wait.
    void endAll() const;

private:
    std::filesystem::path program_;
    std::string busAddress_;
};

} // namespace orlix::testing
