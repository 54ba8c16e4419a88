#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orlix {

// Notifications between the programs of one user session. A notification carries a name and user
// info whose values are lists of text (all that the images-added notification needs).
class DistributedNotificationCenter {
public:
    using UserInfo = std::map<std::string, std::vector<std::string>>;
    // Called on the main thread. Absent keys are absent; a value of another kind is dropped by
    // the centre, so that observers see only lists of text.
    using Block = std::function<void(const UserInfo&)>;

    class Observation {
    public:
        virtual ~Observation() = default;
    };

    virtual ~DistributedNotificationCenter() = default;
    virtual std::unique_ptr<Observation> addObserver(const std::string& name, Block block) = 0;
    virtual void post(const std::string& name, const UserInfo& userInfo) = 0;
};

} // namespace orlix
