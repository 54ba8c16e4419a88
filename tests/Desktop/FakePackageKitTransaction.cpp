#include "FakePackageKitTransaction.h"

#include <QDBusMessage>
#include <QTimer>

namespace orlix::testing {

namespace {

constexpr uint kExitSuccess = 1;
constexpr uint kExitFailed = 2;
constexpr uint kErrorNoNetwork = 2;

} // namespace

FakePackageKitTransaction::FakePackageKitTransaction(QDBusConnection connection, QString path,
                                                     const FakePackageKitAnswer& searchFiles,
                                                     const FakePackageKitAnswer& getUpdates,
                                                     QStringList& calls)
    : connection_(std::move(connection))
    , path_(std::move(path))
    , searchFiles_(searchFiles)
    , getUpdates_(getUpdates)
    , calls_(calls) {}

void FakePackageKitTransaction::SearchFiles(qulonglong filter, const QStringList& values) {
    calls_ << QStringLiteral("SearchFiles %1 %2").arg(filter).arg(values.join(u' '));
    answerLater(searchFiles_);
}

void FakePackageKitTransaction::GetUpdates(qulonglong filter) {
    calls_ << QStringLiteral("GetUpdates %1").arg(filter);
    answerLater(getUpdates_);
}

void FakePackageKitTransaction::Cancel() {
    calls_ << QStringLiteral("Cancel");
}

void FakePackageKitTransaction::answerLater(const FakePackageKitAnswer& answer) {
    QTimer::singleShot(0, this, [this, answer] {
        for (const auto& [info, id] : answer.packages) {
            emitSignal(QStringLiteral("Package"), {info, id, QStringLiteral("summary")});
        }
        if (answer.errorDetails) {
            emitSignal(QStringLiteral("ErrorCode"), {kErrorNoNetwork, *answer.errorDetails});
        }
        if (answer.finishes) {
            emitSignal(QStringLiteral("Finished"),
                       {answer.errorDetails ? kExitFailed : kExitSuccess, uint{12}});
        }
    });
}

void FakePackageKitTransaction::emitSignal(const QString& name, const QVariantList& arguments) {
    auto signal = QDBusMessage::createSignal(
        path_, QStringLiteral("org.freedesktop.PackageKit.Transaction"), name);
    signal.setArguments(arguments);
    connection_.send(signal);
}

} // namespace orlix::testing
