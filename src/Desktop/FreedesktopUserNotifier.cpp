#include "Desktop/FreedesktopUserNotifier.h"

#include "Platform/Localization.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>

#include <map>
#include <utility>

namespace orlix {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kObjectPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDefaultAction = QStringLiteral("default");
const QString kDesktopEntry = QStringLiteral("co.corvendal.Orlix");

// Servers that announce body markup parse the body as a subset of HTML; a file name with "<" or
// "&" would otherwise vanish or break the whole text.
QString escapedMarkup(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar character : text) {
        if (character == u'&') {
            escaped += QStringLiteral("&amp;");
        } else if (character == u'<') {
            escaped += QStringLiteral("&lt;");
        } else if (character == u'>') {
            escaped += QStringLiteral("&gt;");
        } else {
            escaped += character;
        }
    }
    return escaped;
}

} // namespace

// The server's signals arrive here on the main thread; the paths wait under the id the server
// gave their notification until it is clicked or closed.
class NotificationClient : public QObject {
    Q_OBJECT

public:
    explicit NotificationClient(QDBusConnection connection)
        : connection_(std::move(connection)) {
        if (!connection_.isConnected()) {
            return;
        }
        connection_.connect(kService, kObjectPath, kInterface, QStringLiteral("ActionInvoked"),
                            this, SLOT(actionInvoked(uint, QString)));
        connection_.connect(kService, kObjectPath, kInterface, QStringLiteral("NotificationClosed"),
                            this, SLOT(notificationClosed(uint, uint)));
    }

    UserNotifier::ActivationHandler handler;

    void notify(const QString& title, const QString& body, std::vector<std::string> paths) {
        if (!connection_.isConnected()) {
            return;
        }
        QStringList actions;
        if (!paths.empty()) {
            actions << kDefaultAction
                    << QString::fromStdString(
                           localized("Show in File Manager",
                                     "Button of a notification about finished images: shows them"));
        }
        const QVariantMap hints{{QStringLiteral("desktop-entry"), kDesktopEntry}};
        auto message = QDBusMessage::createMethodCall(kService, kObjectPath, kInterface,
                                                      QStringLiteral("Notify"));
        message << QStringLiteral("Orlix") << uint{0} << kDesktopEntry << title
                << escapedMarkup(body) << actions << hints << int{-1};
        const auto call = connection_.asyncCall(
            message, static_cast<int>(FreedesktopUserNotifier::kCallTimeout.count()));
        auto* watcher = new QDBusPendingCallWatcher(call, this);
        pending_.append(watcher);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this, watcher, paths = std::move(paths)] { completed(watcher, paths); });
    }

    void waitForPendingCalls() {
        // The list shrinks as each reply is handled.
        const auto pending = pending_;
        for (const auto& watcher : pending) {
            if (watcher) {
                watcher->waitForFinished();
            }
        }
    }

public slots:
    void actionInvoked(uint id, const QString& actionKey) {
        const auto found = resultPaths_.find(id);
        if (actionKey == kDefaultAction && found != resultPaths_.end() && handler) {
            // A copy: the handler may deliver or close notifications meanwhile.
            const auto paths = found->second;
            handler(paths);
        }
    }

    void notificationClosed(uint id, uint reason) {
        Q_UNUSED(reason);
        resultPaths_.erase(id);
    }

private:
    void completed(QDBusPendingCallWatcher* watcher, const std::vector<std::string>& paths) {
        if (!pending_.removeOne(watcher)) {
            return;
        }
        const QDBusPendingReply<uint> reply = *watcher;
        if (!reply.isError() && !paths.empty()) {
            resultPaths_[reply.value()] = paths;
        }
        watcher->deleteLater();
    }

    QDBusConnection connection_;
    QList<QPointer<QDBusPendingCallWatcher>> pending_;
    std::map<uint, std::vector<std::string>> resultPaths_;
};

FreedesktopUserNotifier::FreedesktopUserNotifier(QDBusConnection connection)
    : client_(std::make_unique<NotificationClient>(std::move(connection))) {}

FreedesktopUserNotifier::~FreedesktopUserNotifier() = default;

void FreedesktopUserNotifier::setActivationHandler(ActivationHandler handler) {
    client_->handler = std::move(handler);
}

void FreedesktopUserNotifier::deliver(const std::string& title, const std::string& informativeText,
                                      const std::vector<std::string>& resultPaths) {
    client_->notify(QString::fromStdString(title), QString::fromStdString(informativeText),
                    resultPaths);
}

void FreedesktopUserNotifier::flush() {
    client_->waitForPendingCalls();
}

} // namespace orlix

#include "FreedesktopUserNotifier.moc"
