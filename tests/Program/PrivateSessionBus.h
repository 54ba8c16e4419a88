#pragma once

#include "Program/ReportingServer.h"
#include "Support/TemporaryDirectory.h"

#include <filesystem>
#include <memory>
#include <string>

namespace orlix::testing {

// A session bus of the test's own, so that the programs it starts find each other and nothing of
// the user's session: it starts only the services of its own folder. Ended at the end.
class PrivateSessionBus {
public:
    PrivateSessionBus();

    // Empty when the bus did not start.
    const std::string& address() const { return daemon_->report(); }
    // Where the bus looks for the services it starts on demand (`.service` files).
    std::filesystem::path serviceFolder() const { return folder_.path() / "services"; }
    // Ends the bus daemon now, as at the end of a session.
    void end() { daemon_->end(); }

private:
    std::filesystem::path writeConfiguration() const;

    TemporaryDirectory folder_;
    std::unique_ptr<ReportingServer> daemon_;
};

} // namespace orlix::testing
