#pragma once

#include "Desktop/UserNotifier.h"

#include <QDBusConnection>

#include <chrono>
#include <memory>

namespace orlix {

class NotificationClient;

// Desktop notifications through the org.freedesktop.Notifications server; clicking one (its
// default action) hands the result paths it carried to the activation handler. Without a bus or
// a server, notifications are silently not shown.
class FreedesktopUserNotifier final : public UserNotifier {
public:
    static constexpr std::chrono::milliseconds kCallTimeout{5000};

    explicit FreedesktopUserNotifier(QDBusConnection connection = QDBusConnection::sessionBus());
    ~FreedesktopUserNotifier() override;
    FreedesktopUserNotifier(const FreedesktopUserNotifier&) = delete;
    FreedesktopUserNotifier& operator=(const FreedesktopUserNotifier&) = delete;

    void setActivationHandler(ActivationHandler handler) override;
    void deliver(const std::string& title, const std::string& informativeText,
                 const std::vector<std::string>& resultPaths) override;
    void flush() override;

private:
    std::unique_ptr<NotificationClient> client_;
};

} // namespace orlix
