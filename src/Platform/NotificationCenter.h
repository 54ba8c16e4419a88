#pragma once

#include "Platform/Notification.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace orlix {

// Named notifications delivered synchronously on the posting thread to block observers.
class NotificationCenter {
public:
    using Block = std::function<void(const Notification&)>;

    // Removing the observer happens when the token is destroyed (or removeObserver is called).
    class ObserverToken {
    public:
        ObserverToken(NotificationCenter& center, std::uint64_t id)
            : center_(&center)
            , id_(id) {}
        ~ObserverToken();
        ObserverToken(const ObserverToken&) = delete;
        ObserverToken& operator=(const ObserverToken&) = delete;
        void remove();

    private:
        NotificationCenter* center_;
        std::uint64_t id_;
    };

    static NotificationCenter& defaultCenter();

    // An empty name observes every notification; a sender restricts to that sender.
    std::unique_ptr<ObserverToken> addObserver(const std::string& name, const void* sender,
                                               Block block);
    void post(const Notification& notification);
    void post(const std::string& name, const void* sender = nullptr,
              std::map<std::string, std::any> userInfo = {});

private:
    struct Observer {
        std::uint64_t id;
        std::string name;
        const void* sender;
        std::shared_ptr<Block> block;
    };
    void removeObserver(std::uint64_t id);
    bool isRegistered(std::uint64_t id);

    std::mutex mutex_;
    std::vector<Observer> observers_;
    std::uint64_t nextId_ = 1;
};

} // namespace orlix
