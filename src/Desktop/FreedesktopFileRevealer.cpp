#include "Desktop/FreedesktopFileRevealer.h"

#include "Platform/ChildProcess.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QGuiApplication>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace orlix {

namespace {

const QString kService = QStringLiteral("org.freedesktop.FileManager1");
const QString kObjectPath = QStringLiteral("/org/freedesktop/FileManager1");
// setsid ends as soon as it has forked; a setsid that does not is left as a zombie, not waited on.
constexpr std::chrono::milliseconds kSetsidLimit{1000};

int timeoutMilliseconds() {
    return static_cast<int>(FreedesktopFileRevealer::kCallTimeout.count());
}

struct FolderGroup {
    std::filesystem::path folder;
    QStringList uris;
};

// One request per folder: some file managers open a window per request and select only what the
// request names in it.
std::vector<FolderGroup> groupedByFolder(const std::vector<Url>& urls) {
    std::vector<FolderGroup> groups;
    for (const auto& url : urls) {
        if (!url.isFileUrl()) {
            continue;
        }
        const auto folder = url.deletingLastPathComponent().path();
        auto group = std::find_if(groups.begin(), groups.end(),
                                  [&](const FolderGroup& each) { return each.folder == folder; });
        if (group == groups.end()) {
            group = groups.insert(groups.end(), FolderGroup{folder, {}});
        }
        const auto uri = QString::fromStdString(url.absoluteString());
        if (!group->uris.contains(uri)) {
            group->uris.append(uri);
        }
    }
    return groups;
}

// xdg-open, which the desktop's own services would run too, left to itself by setsid --fork so
// that it outlives Orlix as no child of it. A platform without a screen has nowhere to show it.
void openInDefaultApplication(const std::filesystem::path& folder) {
    const auto platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
        return;
    }
    const auto uri = QUrl::fromLocalFile(QString::fromStdString(folder.string())).toEncoded();
    const pid_t setsid = ChildProcess::spawn({"setsid", "--fork", "xdg-open", uri.toStdString()});
    if (setsid > 0) {
        ChildProcess::reap(setsid, kSetsidLimit);
    }
}

} // namespace

// Replies arrive on the main thread; a refused request falls back to its folder there.
class FileManagerClient : public QObject {
    Q_OBJECT

public:
    FileManagerClient(QDBusConnection connection, FreedesktopFileRevealer::FolderOpener opener)
        : connection_(std::move(connection))
        , openFolder_(opener ? std::move(opener) : openInDefaultApplication) {}

    void reveal(const std::vector<Url>& urls) {
        const auto groups = groupedByFolder(urls);
        if (groups.empty()) {
            return;
        }
        if (!fileManagerAvailable()) {
            for (const auto& group : groups) {
                openFolder_(group.folder);
            }
            return;
        }
        for (const auto& group : groups) {
            auto message = QDBusMessage::createMethodCall(kService, kObjectPath, kService,
                                                          QStringLiteral("ShowItems"));
            message << group.uris << QString();
            auto* watcher = new QDBusPendingCallWatcher(
                connection_.asyncCall(message, timeoutMilliseconds()), this);
            pending_.append(watcher);
            connect(watcher, &QDBusPendingCallWatcher::finished, this,
                    [this, watcher, folder = group.folder] { completed(watcher, folder); });
        }
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

private:
    // Running, or startable by the bus on demand.
    bool fileManagerAvailable() {
        if (!connection_.isConnected()) {
            return false;
        }
        const auto busCall = [this](const QString& method) {
            auto message = QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus"), method);
            if (method == QLatin1String("NameHasOwner")) {
                message << kService;
            }
            const auto reply = connection_.call(message, QDBus::Block, timeoutMilliseconds());
            return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
                       ? reply.arguments().constFirst()
                       : QVariant();
        };
        return busCall(QStringLiteral("NameHasOwner")).toBool() ||
               busCall(QStringLiteral("ListActivatableNames")).toStringList().contains(kService);
    }

    void completed(QDBusPendingCallWatcher* watcher, const std::filesystem::path& folder) {
        if (!pending_.removeOne(watcher)) {
            return;
        }
        if (watcher->isError()) {
            openFolder_(folder);
        }
        watcher->deleteLater();
    }

    QDBusConnection connection_;
    FreedesktopFileRevealer::FolderOpener openFolder_;
    QList<QPointer<QDBusPendingCallWatcher>> pending_;
};

FreedesktopFileRevealer::FreedesktopFileRevealer(QDBusConnection connection,
                                                 FolderOpener folderOpener)
    : client_(std::make_unique<FileManagerClient>(std::move(connection), std::move(folderOpener))) {
}

FreedesktopFileRevealer::~FreedesktopFileRevealer() = default;

void FreedesktopFileRevealer::reveal(const std::vector<Url>& urls) {
    client_->reveal(urls);
}

void FreedesktopFileRevealer::flush() {
    client_->waitForPendingCalls();
}

} // namespace orlix

#include "FreedesktopFileRevealer.moc"
