#pragma once

#include "Desktop/DBusDistributedNotificationCenter.h"
#include "Helper/LaunchEnvironment.h"

#include <QDBusConnection>

#include <chrono>

namespace orlix::helper {

// The launch environment of a real session: the main application is the owner of its name on the
// session bus, and it is started as a program of its own that outlives the helper. Without a
// session bus the main application counts as not running.
class DesktopLaunchEnvironment final : public LaunchEnvironment {
public:
    static constexpr std::chrono::milliseconds kCallTimeout{5000};

    DesktopLaunchEnvironment(QDBusConnection connection,
                             std::vector<std::filesystem::path> candidates);

    bool isRunning(const std::string& bundleIdentifier) override;
    void activate(const std::string& bundleIdentifier) override;
    DistributedNotificationCenter& distributedCenter() override;
    std::vector<std::filesystem::path> candidatePrograms() const override;
    bool start(const std::filesystem::path& program,
               const std::vector<std::string>& arguments) override;

    // Returns once everything sent so far has reached the bus, so that a program that exits next
    // loses nothing.
    void flush();

private:
    QDBusConnection connection_;
    DBusDistributedNotificationCenter center_;
    std::vector<std::filesystem::path> candidates_;
};

} // namespace orlix::helper
