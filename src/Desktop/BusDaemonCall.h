#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>

namespace orlix {

// A call to the session bus itself (org.freedesktop.DBus): names, their owners, round trips.
inline QDBusMessage busDaemonCall(const QString& method) {
    return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                          QStringLiteral("/org/freedesktop/DBus"),
                                          QStringLiteral("org.freedesktop.DBus"), method);
}

// Whether `name` has an owner on the connection's bus, asked within `timeoutMilliseconds`. A bus
// that cannot answer, or no bus, says no.
inline bool busNameHasOwner(const QDBusConnection& connection, const QString& name,
                            int timeoutMilliseconds) {
    if (!connection.isConnected()) {
        return false;
    }
    auto question = busDaemonCall(QStringLiteral("NameHasOwner"));
    question << name;
    const QDBusMessage reply = connection.call(question, QDBus::Block, timeoutMilliseconds);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().toBool();
}

} // namespace orlix
