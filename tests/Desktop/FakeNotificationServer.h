#pragma once

#include "Platform/WatchedValue.h"

#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <vector>

namespace orlix::testing {

struct NotifyCall {
    QString appName;
    uint replacesId = 0;
    QString appIcon;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
    int expireTimeout = 0;
};

// An org.freedesktop.Notifications server that shows nothing and numbers the notifications
// from 1.
class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    WatchedValue<std::vector<NotifyCall>> calls;

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int expireTimeout) {
        uint id = 0;
        calls.update([&](auto& all) {
            all.push_back(
                {appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout});
            id = static_cast<uint>(all.size());
        });
        return id;
    }
};

} // namespace orlix::testing
