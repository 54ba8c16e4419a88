#pragma once

#include "Platform/WatchedValue.h"

#include <QDBusContext>
#include <QObject>
#include <QStringList>

#include <vector>

namespace orlix::testing {

// An org.freedesktop.FileManager1 that shows nothing, or refuses every request; it keeps the URIs
// of each request.
class FakeFileManager : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    explicit FakeFileManager(bool refuses = false)
        : refuses_(refuses) {}

    WatchedValue<std::vector<QStringList>> requests;

public slots:
    void ShowItems(const QStringList& uris, const QString& startupId) {
        Q_UNUSED(startupId);
        requests.update([&](auto& all) { all.push_back(uris); });
        if (refuses_) {
            sendErrorReply(QDBusError::Failed, QStringLiteral("cannot show these"));
        }
    }

private:
    bool refuses_;
};

} // namespace orlix::testing
