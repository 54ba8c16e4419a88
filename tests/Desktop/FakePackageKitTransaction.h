#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>
#include <utility>
#include <vector>

namespace orlix::testing {

// What a fake transaction reports for one method: its packages (kind, id), then an error or
// none, then Finished unless it never finishes.
struct FakePackageKitAnswer {
    std::vector<std::pair<uint, QString>> packages;
    std::optional<QString> errorDetails;
    bool finishes = true;
};

// One transaction object of the fake PackageKit, on the main thread. Records every call in
// `calls` ("SearchFiles 4 /usr/bin/orlix", "GetUpdates 2", "Cancel").
class FakePackageKitTransaction : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.PackageKit.Transaction")

public:
    FakePackageKitTransaction(QDBusConnection connection, QString path,
                              const FakePackageKitAnswer& searchFiles,
                              const FakePackageKitAnswer& getUpdates, QStringList& calls);

public slots:
    Q_SCRIPTABLE void SearchFiles(qulonglong filter, const QStringList& values);
    Q_SCRIPTABLE void GetUpdates(qulonglong filter);
    Q_SCRIPTABLE void Cancel();

private:
    // After the method's reply, as PackageKit sends them.
    void answerLater(const FakePackageKitAnswer& answer);
    void emitSignal(const QString& name, const QVariantList& arguments);

    QDBusConnection connection_;
    QString path_;
    const FakePackageKitAnswer& searchFiles_;
    const FakePackageKitAnswer& getUpdates_;
    QStringList& calls_;
};

} // namespace orlix::testing
