#pragma once

#include <QDBusConnection>
#include <QDBusPendingCall>

#include <chrono>
#include <string>
#include <vector>

namespace orlix {

// Notifications through org.gtk.Notifications, the server of GNOME Shell. A notification there
// belongs to the desktop entry co.corvendal.Orlix, not to the process, and stays after Orlix has
// quit: its click asks the session bus for Orlix's action that reveals the result paths, with the
// user info as its target, and the bus starts Orlix when it does not run.
class GtkUserNotifier {
public:
    static constexpr std::chrono::milliseconds kCallTimeout{5000};

    explicit GtkUserNotifier(QDBusConnection connection);

    // Whether the session has the server now.
    bool isAvailable();
    void deliver(const std::string& title, const std::string& informativeText,
                 const std::vector<std::string>& resultPaths);
    // Waits until what was delivered has left the process.
    void flush();

private:
    QDBusConnection connection_;
    std::vector<QDBusPendingCall> pending_;
};

} // namespace orlix
