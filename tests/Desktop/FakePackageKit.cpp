#include "FakePackageKit.h"

namespace orlix::testing {

namespace {

const QString kService = QStringLiteral("org.freedesktop.PackageKit");
const QString kObjectPath = QStringLiteral("/org/freedesktop/PackageKit");

} // namespace

FakePackageKit::FakePackageKit(QDBusConnection connection)
    : connection_(std::move(connection)) {
    registered_ =
        connection_.registerObject(kObjectPath, this, QDBusConnection::ExportScriptableSlots) &&
        connection_.registerService(kService);
}

FakePackageKit::~FakePackageKit() {
    for (const auto& path : paths_) {
        connection_.unregisterObject(path);
    }
    connection_.unregisterObject(kObjectPath);
    connection_.unregisterService(kService);
}

QDBusObjectPath FakePackageKit::CreateTransaction() {
    const auto path = QStringLiteral("/transactions/%1").arg(transactions_.size() + 1);
    transactions_.push_back(std::make_unique<FakePackageKitTransaction>(
        connection_, path, searchFiles, getUpdates, calls));
    connection_.registerObject(path, transactions_.back().get(),
                               QDBusConnection::ExportScriptableSlots);
    paths_.push_back(path);
    return QDBusObjectPath(path);
}

} // namespace orlix::testing
