#pragma once

#include "Desktop/RunningApplications.h"

#include <QDBusConnection>
#include <QVariant>

#include <chrono>
#include <filesystem>
#include <optional>

namespace orlix {

// The helper's running copy on the session bus: the owner of its name, whose version is its
// Version property and whose program is its process's executable. The login item starts the
// helper itself, so both identifiers find the same copy. Every call and wait is bounded.
class BusRunningApplications final : public RunningApplications {
public:
    static constexpr int kCallTimeoutMilliseconds = 2000;
    // How long a copy that was asked to quit, and then sent SIGTERM, is given to go.
    static constexpr std::chrono::milliseconds kExitWait{3000};

    explicit BusRunningApplications(QDBusConnection connection)
        : connection_(std::move(connection)) {}

    std::vector<RunningApplication>
    runningApplications(const std::string& bundleIdentifier) override;
    // Terminate on the bus, then SIGTERM if the copy is still there after the wait.
    void terminate(const RunningApplication& application) override;

    // Whether the process's program still exists as it was started: false when the process is
    // gone or its executable was deleted or replaced.
    static bool programOpens(pid_t processIdentifier);

private:
    std::optional<QVariant> busAnswer(const QString& method, const QString& name) const;
    std::optional<std::string> versionOf(const QString& connectionName) const;
    bool hasOwner(const QString& name) const;
    bool waitUntilGone(const QString& connectionName) const;

    QDBusConnection connection_;
};

} // namespace orlix
