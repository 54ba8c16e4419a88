#pragma once

#include "Desktop/DistributedNotificationCenter.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orlix::helper {

// What handing files to the main application needs of the desktop: whether it runs, bringing it
// forward, the distributed notifications, and starting a program. Tests put fakes in its place.
class LaunchEnvironment {
public:
    virtual ~LaunchEnvironment() = default;

    virtual bool isRunning(const std::string& bundleIdentifier) = 0;
    // Best effort: the desktop may keep the focus where it is.
    virtual void activate(const std::string& bundleIdentifier) = 0;
    // Posts on the connection the activation went out on, so that it arrives after it.
    virtual DistributedNotificationCenter& distributedCenter() = 0;
    // The programs that may be the main application, in the order to try them.
    virtual std::vector<std::filesystem::path> candidatePrograms() const = 0;
    // Starts a program that outlives the helper; false when it could not be started.
    virtual bool start(const std::filesystem::path& program,
                       const std::vector<std::string>& arguments) = 0;
};

} // namespace orlix::helper
