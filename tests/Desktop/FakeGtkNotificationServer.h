#pragma once

#include "Platform/WatchedValue.h"

#include <QDBusArgument>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <vector>

namespace orlix::testing {

struct GtkNotification {
    QString applicationId;
    QString id;
    QString title;
    QString body;
    QString defaultAction;
    // The default action's target, an "a{sv}" as Qt hands it over raw.
    QVariantMap defaultActionTarget;
};

// GNOME Shell's org.gtk.Notifications as a notifying program sees it: it keeps what it is given.
class FakeGtkNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gtk.Notifications")

public:
    WatchedValue<std::vector<GtkNotification>> added;

public slots:
    void AddNotification(const QString& applicationId, const QString& id,
                         const QVariantMap& notification) {
        GtkNotification kept{applicationId,
                             id,
                             notification.value(QStringLiteral("title")).toString(),
                             notification.value(QStringLiteral("body")).toString(),
                             notification.value(QStringLiteral("default-action")).toString(),
                             {}};
        const auto target = notification.value(QStringLiteral("default-action-target"));
        if (target.canConvert<QDBusArgument>()) {
            target.value<QDBusArgument>() >> kept.defaultActionTarget;
        }
        added.update([&](auto& all) { all.push_back(kept); });
    }
    void RemoveNotification(const QString& applicationId, const QString& id) {
        Q_UNUSED(applicationId);
        Q_UNUSED(id);
    }
};

} // namespace orlix::testing
