#pragma once

#include <QDBusMessage>
#include <QString>

namespace orlix {

// A call to the session bus itself (org.freedesktop.DBus): names, their owners, round trips.
inline QDBusMessage busDaemonCall(const QString& method) {
    return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                          QStringLiteral("/org/freedesktop/DBus"),
                                          QStringLiteral("org.freedesktop.DBus"), method);
}

} // namespace orlix
