#include "Desktop/PackageKitTransaction.h"

#include "Platform/Localization.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <utility>

namespace orlix {

const QString PackageKitTransaction::serviceName = QStringLiteral("org.freedesktop.PackageKit");

namespace {

const QString kObjectPath = QStringLiteral("/org/freedesktop/PackageKit");
const QString kTransactionInterface = QStringLiteral("org.freedesktop.PackageKit.Transaction");
constexpr uint kExitSuccess = 1;

// The signals a transaction reports with, and the slots that take them.
struct SignalSlot {
    const char* name;
    const char* slot;
};
const SignalSlot kSignals[] = {
    {"Package", SLOT(package(uint, QString, QString))},
    {"ErrorCode", SLOT(errorCode(uint, QString))},
    {"Finished", SLOT(finished(uint, uint))},
};

QString text(const char* value, const char* comment) {
    return QString::fromStdString(localized(value, comment));
}

} // namespace

void PackageKitTransaction::start(QDBusConnection connection, const QString& method,
                                  const QVariantList& arguments, std::chrono::milliseconds timeout,
                                  Completion completion, QObject* parent) {
    auto* transaction =
        new PackageKitTransaction(std::move(connection), timeout, std::move(completion), parent);
    transaction->call(method, arguments);
}

PackageKitTransaction::PackageKitTransaction(QDBusConnection connection,
                                             std::chrono::milliseconds timeout,
                                             Completion completion, QObject* parent)
    : QObject(parent)
    , connection_(std::move(connection))
    , timeout_(timeout)
    , completion_(std::move(completion)) {
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, &PackageKitTransaction::timedOut);
    deadline_.start(timeout_);
}

PackageKitTransaction::~PackageKitTransaction() {
    disconnectSignals();
}

void PackageKitTransaction::call(const QString& method, const QVariantList& arguments) {
    if (!connection_.isConnected()) {
        QTimer::singleShot(0, this, [this] {
            end(text("There is no system bus to reach PackageKit on.",
                     "Update check failed: no system D-Bus"));
        });
        return;
    }
    auto* watcher = send(QDBusMessage::createMethodCall(serviceName, kObjectPath, serviceName,
                                                        QStringLiteral("CreateTransaction")));
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, method, arguments] { created(watcher, method, arguments); });
}

QDBusPendingCallWatcher* PackageKitTransaction::send(const QDBusMessage& message) {
    return new QDBusPendingCallWatcher(
        connection_.asyncCall(message, static_cast<int>(timeout_.count())), this);
}

void PackageKitTransaction::created(QDBusPendingCallWatcher* watcher, const QString& method,
                                    const QVariantList& arguments) {
    watcher->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
    if (reply.isError()) {
        end(reply.error().message());
        return;
    }
    path_ = reply.value().path();
    // Before the method is called, so that no signal of the transaction can be missed.
    for (const auto& [name, slot] : kSignals) {
        if (!connectSignal(name, slot)) {
            end(text("PackageKit's answers could not be followed.",
                     "Update check failed: D-Bus signals"));
            return;
        }
    }
    auto message =
        QDBusMessage::createMethodCall(serviceName, path_, kTransactionInterface, method);
    message.setArguments(arguments);
    auto* called = send(message);
    connect(called, &QDBusPendingCallWatcher::finished, this,
            [this, called] { calledMethod(called); });
}

void PackageKitTransaction::calledMethod(QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    if (watcher->isError()) {
        end(watcher->error().message());
    }
}

bool PackageKitTransaction::connectSignal(const char* name, const char* slot) {
    return connection_.connect(serviceName, path_, kTransactionInterface, QString::fromLatin1(name),
                               this, slot);
}

void PackageKitTransaction::disconnectSignals() {
    if (path_.isEmpty()) {
        return;
    }
    for (const auto& [name, slot] : kSignals) {
        connection_.disconnect(serviceName, path_, kTransactionInterface, QString::fromLatin1(name),
                               this, slot);
    }
    path_.clear();
}

void PackageKitTransaction::package(uint info, const QString& packageId, const QString& summary) {
    Q_UNUSED(summary);
    result_.packages.push_back({info, packageId});
}

void PackageKitTransaction::errorCode(uint code, const QString& details) {
    Q_UNUSED(code);
    if (result_.error.isEmpty()) {
        result_.error = details.isEmpty() ? text("PackageKit reported an error.",
                                                 "Update check failed: PackageKit's error")
                                          : details;
    }
}

void PackageKitTransaction::finished(uint exit, uint runtime) {
    Q_UNUSED(runtime);
    if (exit != kExitSuccess && result_.error.isEmpty()) {
        result_.error = text("PackageKit could not complete the request.",
                             "Update check failed: PackageKit's transaction failed");
    }
    end(result_.error);
}

void PackageKitTransaction::timedOut() {
    if (!path_.isEmpty()) {
        // Nobody waits for the answer: the transaction has ended for Orlix either way.
        connection_.asyncCall(QDBusMessage::createMethodCall(serviceName, path_,
                                                             kTransactionInterface,
                                                             QStringLiteral("Cancel")),
                              static_cast<int>(timeout_.count()));
    }
    end(text("PackageKit did not answer in time.", "Update check failed: timeout"));
}

void PackageKitTransaction::end(const QString& error) {
    if (!completion_) {
        return;
    }
    deadline_.stop();
    disconnectSignals();
    result_.error = error;
    const auto completion = std::exchange(completion_, nullptr);
    const auto result = std::exchange(result_, {});
    deleteLater();
    completion(result);
}

} // namespace orlix
