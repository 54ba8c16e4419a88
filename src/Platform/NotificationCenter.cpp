#include "Platform/NotificationCenter.h"

#include <algorithm>
#include <utility>

namespace orlix {

NotificationCenter::ObserverToken::~ObserverToken() {
    remove();
}

void NotificationCenter::ObserverToken::remove() {
    if (center_ != nullptr) {
        std::exchange(center_, nullptr)->removeObserver(id_);
    }
}

NotificationCenter& NotificationCenter::defaultCenter() {
    // Never destroyed, so tokens held by other statics may still remove themselves at exit.
    static auto* center = new NotificationCenter;
    return *center;
}

std::unique_ptr<NotificationCenter::ObserverToken>
NotificationCenter::addObserver(const std::string& name, const void* sender, Block block) {
    const std::lock_guard lock(mutex_);
    const std::uint64_t id = nextId_++;
    observers_.push_back({id, name, sender, std::make_shared<Block>(std::move(block))});
    return std::make_unique<ObserverToken>(*this, id);
}

void NotificationCenter::post(const Notification& notification) {
    std::vector<std::pair<std::uint64_t, std::shared_ptr<Block>>> matching;
    {
        const std::lock_guard lock(mutex_);
        for (const auto& observer : observers_) {
            if ((observer.name.empty() || observer.name == notification.name) &&
                (observer.sender == nullptr || observer.sender == notification.sender)) {
                matching.emplace_back(observer.id, observer.block);
            }
        }
    }
    // The blocks run outside the lock so they may add and remove observers; one removed by an
    // earlier block of this delivery is skipped.
    for (const auto& [id, block] : matching) {
        if (isRegistered(id)) {
            (*block)(notification);
        }
    }
}

void NotificationCenter::post(const std::string& name, const void* sender,
                              std::map<std::string, std::any> userInfo) {
    post(Notification{name, sender, std::move(userInfo)});
}

void NotificationCenter::removeObserver(std::uint64_t id) {
    std::shared_ptr<Block> removed;
    {
        const std::lock_guard lock(mutex_);
        const auto found =
            std::find_if(observers_.begin(), observers_.end(),
                         [id](const Observer& observer) { return observer.id == id; });
        if (found == observers_.end()) {
            return;
        }
        removed = std::move(found->block);
        observers_.erase(found);
    }
    // The block, and whatever it captured, is released outside the lock.
}

bool NotificationCenter::isRegistered(std::uint64_t id) {
    const std::lock_guard lock(mutex_);
    return std::any_of(observers_.begin(), observers_.end(),
                       [id](const Observer& observer) { return observer.id == id; });
}

} // namespace orlix
