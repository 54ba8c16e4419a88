#pragma once

#include <string>

namespace orlix {

// The alerts of the updater, each modal: shown and answered before the call returns.
class UpdateAlerts {
public:
    struct Offer {
        std::string packageName;
        std::string installedVersion;
        std::string availableVersion;
    };

    virtual ~UpdateAlerts() = default;
    // Offers to open the desktop's software centre on the update; the text names the command
    // that installs it too, for desktops without one.
    virtual void offerUpdate(const Offer& offer) = 0;
    virtual void reportNoUpdate(const std::string& installedVersion) = 0;
    virtual void reportCheckFailed(const std::string& reason) = 0;
};

} // namespace orlix
