#pragma once

#include "Desktop/FreedesktopUserNotifier.h"
#include "Desktop/GtkUserNotifier.h"
#include "Desktop/UserNotifier.h"

#include <QDBusConnection>

namespace orlix {

// The desktop's notifications as the session offers them: through org.gtk.Notifications where
// it has that server (GNOME Shell), whose notifications keep their click after Orlix has quit;
// else through org.freedesktop.Notifications, whose click reveals only while Orlix runs. Asked
// anew for each notification, since the desktop's shell may come and go.
class SessionUserNotifier final : public UserNotifier {
public:
    explicit SessionUserNotifier(QDBusConnection connection = QDBusConnection::sessionBus());

    // The click of a freedesktop notification; a click of a GNOME Shell notification reaches
    // Orlix as its reveal action instead.
    void setActivationHandler(ActivationHandler handler) override;
    void deliver(const std::string& title, const std::string& informativeText,
                 const std::vector<std::string>& resultPaths) override;
    void flush() override;

private:
    GtkUserNotifier gtk_;
    FreedesktopUserNotifier freedesktop_;
};

} // namespace orlix
