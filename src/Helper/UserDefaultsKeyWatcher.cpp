#include "Helper/UserDefaultsKeyWatcher.h"

#include "Platform/UserDefaults.h"

#include <QFileSystemWatcher>
#include <QTimer>

#include <utility>

namespace orlix::helper {

UserDefaultsKeyWatcher::UserDefaultsKeyWatcher(std::shared_ptr<UserDefaults> defaults,
                                               std::string key, Handler handler)
    : defaults_(std::move(defaults))
    , key_(std::move(key))
    , handler_(std::move(handler))
    , value_(defaults_->objectForKey(key_))
    , watcher_(std::make_unique<QFileSystemWatcher>())
    , settleTimer_(std::make_unique<QTimer>()) {
    settleTimer_->setSingleShot(true);
    settleTimer_->setInterval(kSettleTime);
    QObject::connect(settleTimer_.get(), &QTimer::timeout, [this] { reread(); });
    QObject::connect(watcher_.get(), &QFileSystemWatcher::directoryChanged,
                     [this] { settleTimer_->start(); });
    watchNearestFolder();
}

UserDefaultsKeyWatcher::~UserDefaultsKeyWatcher() = default;

void UserDefaultsKeyWatcher::watchNearestFolder() {
    std::error_code error;
    auto folder = defaults_->filePath().parent_path();
    while (!std::filesystem::is_directory(folder, error) && folder.has_relative_path()) {
        folder = folder.parent_path();
    }
    const auto path = QString::fromStdString(folder.string());
    if (watcher_->directories() != QStringList{path}) {
        if (!watcher_->directories().isEmpty()) {
            watcher_->removePaths(watcher_->directories());
        }
        watcher_->addPath(path);
    }
}

void UserDefaultsKeyWatcher::reread() {
    // The folder may have appeared (or gone) meanwhile.
    watchNearestFolder();
    auto value = defaults_->objectForKey(key_);
    if (value == value_) {
        return;
    }
    value_ = std::move(value);
    if (handler_) {
        handler_(value_);
    }
}

} // namespace orlix::helper
