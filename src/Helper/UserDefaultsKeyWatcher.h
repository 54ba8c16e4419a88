#pragma once

#include "Platform/PropertyList.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QFileSystemWatcher;
class QTimer;

namespace orlix {
class UserDefaults;
}

namespace orlix::helper {

// Follows one key of a defaults domain that another program writes. The domain's file is
// replaced by a rename on every write, which ends a watch on the file itself, so its folder is
// watched (or, while the folder does not exist, the nearest one that does). A burst of changes is
// taken as one, and the handler hears of the key only when its value changed, absent included.
class UserDefaultsKeyWatcher {
public:
    using Handler = std::function<void(const std::optional<PropertyList>& value)>;

    static constexpr std::chrono::milliseconds kSettleTime{100};

    UserDefaultsKeyWatcher(std::shared_ptr<UserDefaults> defaults, std::string key,
                           Handler handler);
    ~UserDefaultsKeyWatcher();
    UserDefaultsKeyWatcher(const UserDefaultsKeyWatcher&) = delete;
    UserDefaultsKeyWatcher& operator=(const UserDefaultsKeyWatcher&) = delete;

private:
    void watchNearestFolder();
    void reread();

    std::shared_ptr<UserDefaults> defaults_;
    std::string key_;
    Handler handler_;
    std::optional<PropertyList> value_;
    std::unique_ptr<QFileSystemWatcher> watcher_;
    std::unique_ptr<QTimer> settleTimer_;
};

} // namespace orlix::helper
