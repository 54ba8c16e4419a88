#pragma once

#include "FakePackageKitTransaction.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>

#include <memory>
#include <vector>

namespace orlix::testing {

// PackageKit as the updater sees it, on a bus connection of the test's own: it owns
// org.freedesktop.PackageKit while it lives, and its transactions give the answers set here.
class FakePackageKit : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.PackageKit")

public:
    explicit FakePackageKit(QDBusConnection connection);
    ~FakePackageKit() override;

    bool registered() const { return registered_; }

    FakePackageKitAnswer searchFiles;
    FakePackageKitAnswer getUpdates;
    // The calls of every transaction, in order.
    QStringList calls;

public slots:
    Q_SCRIPTABLE QDBusObjectPath CreateTransaction();

private:
    QDBusConnection connection_;
    bool registered_ = false;
    std::vector<std::unique_ptr<FakePackageKitTransaction>> transactions_;
    std::vector<QString> paths_;
};

} // namespace orlix::testing
