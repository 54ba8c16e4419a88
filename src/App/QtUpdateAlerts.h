#pragma once

#include "Desktop/UpdateAlerts.h"

namespace orlix {

// The updater's alerts as message boxes above Orlix's windows. An update is offered in the
// desktop's software centre (through its appstream: address), and the alert names the command
// that installs it for desktops that have none.
class QtUpdateAlerts final : public UpdateAlerts {
public:
    void offerUpdate(const Offer& offer) override;
    void reportNoUpdate(const std::string& installedVersion) override;
    void reportCheckFailed(const std::string& reason) override;
};

} // namespace orlix
