#pragma once

#include "Desktop/DistributedNotificationCenter.h"

#include <QDBusConnection>

namespace orlix {

// Distributed notifications as session-bus signals: the notification name is the signal's member
// and the user info its one a{sv} argument, so any program of the session can post or listen.
class DBusDistributedNotificationCenter final : public DistributedNotificationCenter {
public:
    explicit DBusDistributedNotificationCenter(
        QDBusConnection connection = QDBusConnection::sessionBus());

    std::unique_ptr<Observation> addObserver(const std::string& name, Block block) override;
    void post(const std::string& name, const UserInfo& userInfo) override;

private:
    QDBusConnection connection_;
};

} // namespace orlix
