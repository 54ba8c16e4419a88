#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace orlix {

// One running copy of a program, as found by its identifier.
struct RunningApplication {
    pid_t processIdentifier = 0;
    // How the copy is reached to ask it to quit (its unique name on the session bus).
    std::string connectionName;
    // False when its program is gone or was replaced on disk (an upgrade): the copy runs a build
    // that no longer exists.
    bool bundleOpens = true;
    // The version the copy reports; absent when it reports none.
    std::optional<std::string> bundleVersion;
};

// The running copies of programs of this system, and a way to end one.
class RunningApplications {
public:
    virtual ~RunningApplications() = default;
    virtual std::vector<RunningApplication>
    runningApplications(const std::string& bundleIdentifier) = 0;
    // Asks the copy to quit; the copy may refuse.
    virtual void terminate(const RunningApplication& application) = 0;
};

} // namespace orlix
