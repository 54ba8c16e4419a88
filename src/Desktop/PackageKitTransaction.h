#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantList>

#include <chrono>
#include <functional>
#include <vector>

class QDBusMessage;
class QDBusPendingCallWatcher;

namespace orlix {

// One PackageKit transaction: a new transaction object, one method called on it and the packages
// it reports until it finishes. It ends exactly once, within its timeout, also when PackageKit is
// absent, refuses or never finishes; a transaction that ran out of time is cancelled. The
// completion never runs inside `start`. A transaction deletes itself once it has ended; deleting
// its parent first ends it without a completion. Main thread only.
class PackageKitTransaction final : public QObject {
    Q_OBJECT

public:
    static const QString serviceName;

    // PackageKit's filter bits and the package kinds it reports, as its D-Bus interface numbers
    // them.
    static constexpr qulonglong kFilterNone = 1ULL << 1;
    static constexpr qulonglong kFilterInstalled = 1ULL << 2;
    static constexpr uint kInfoInstalled = 1;
    static constexpr uint kInfoBlocked = 9;

    struct Package {
        uint info = 0;
        // "name;version;arch;data"
        QString id;
    };
    struct Result {
        std::vector<Package> packages;
        // Empty when the transaction succeeded.
        QString error;
    };
    using Completion = std::function<void(const Result&)>;

    // Calls `method` with `arguments` on a new transaction of `connection`'s PackageKit.
    static void start(QDBusConnection connection, const QString& method,
                      const QVariantList& arguments, std::chrono::milliseconds timeout,
                      Completion completion, QObject* parent);
    ~PackageKitTransaction() override;

private slots:
    void package(uint info, const QString& packageId, const QString& summary);
    void errorCode(uint code, const QString& details);
    void finished(uint exit, uint runtime);

private:
    PackageKitTransaction(QDBusConnection connection, std::chrono::milliseconds timeout,
                          Completion completion, QObject* parent);
    void call(const QString& method, const QVariantList& arguments);
    QDBusPendingCallWatcher* send(const QDBusMessage& message);
    void created(QDBusPendingCallWatcher* watcher, const QString& method,
                 const QVariantList& arguments);
    void calledMethod(QDBusPendingCallWatcher* watcher);
    bool connectSignal(const char* name, const char* slot);
    void disconnectSignals();
    void timedOut();
    void end(const QString& error);

    QDBusConnection connection_;
    std::chrono::milliseconds timeout_;
    Completion completion_;
    QTimer deadline_;
    QString path_;
    bool following_ = false;
    Result result_;
};

} // namespace orlix
