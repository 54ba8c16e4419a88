#include "Desktop/GtkUserNotifier.h"

#include "Desktop/BusDaemonCall.h"
#include "Desktop/UserNotifier.h"
#include "Platform/Uuid.h"

#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

#include <algorithm>

namespace orlix {

namespace {

const QString kService = QStringLiteral("org.gtk.Notifications");
const QString kObjectPath = QStringLiteral("/org/gtk/Notifications");
const QString kApplicationId = QStringLiteral("co.corvendal.Orlix");

int timeoutMilliseconds() {
    return static_cast<int>(GtkUserNotifier::kCallTimeout.count());
}

QVariantMap userInfo(const std::vector<std::string>& resultPaths) {
    QStringList paths;
    for (const auto& path : resultPaths) {
        paths.append(QString::fromStdString(path));
    }
    return {{QString::fromLatin1(UserNotifier::resultPathsKey), paths}};
}

} // namespace

GtkUserNotifier::GtkUserNotifier(QDBusConnection connection)
    : connection_(std::move(connection)) {}

bool GtkUserNotifier::isAvailable() {
    return busNameHasOwner(connection_, kService, timeoutMilliseconds());
}

void GtkUserNotifier::deliver(const std::string& title, const std::string& informativeText,
                              const std::vector<std::string>& resultPaths) {
    if (!connection_.isConnected()) {
        return;
    }
    // Only the application's own actions ("app." ones) are asked of the application.
    const QVariantMap notification{
        {QStringLiteral("title"), QString::fromStdString(title)},
        {QStringLiteral("body"), QString::fromStdString(informativeText)},
        {QStringLiteral("default-action"),
         QStringLiteral("app.") + QString::fromLatin1(UserNotifier::revealResultFilesAction)},
        {QStringLiteral("default-action-target"), userInfo(resultPaths)}};
    auto message = QDBusMessage::createMethodCall(kService, kObjectPath, kService,
                                                  QStringLiteral("AddNotification"));
    // A notification of the same id would replace this one, and its click with it.
    message << kApplicationId << QString::fromStdString(Uuid().uuidString()) << notification;
    std::erase_if(pending_, [](const QDBusPendingCall& call) { return call.isFinished(); });
    pending_.push_back(connection_.asyncCall(message, timeoutMilliseconds()));
}

void GtkUserNotifier::flush() {
    for (auto& call : pending_) {
        call.waitForFinished();
    }
    pending_.clear();
}

} // namespace orlix
