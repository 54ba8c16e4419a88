#pragma once

#include <QDBusConnection>

#include <functional>
#include <memory>

namespace orlix::helper {

class HelperEndpoint;
class ServiceProvider;

// The running helper on the session bus: one per session, the owner of co.corvendal.orlix-helper.
// A newly started helper takes the name over and the one it replaces quits, so that a restart
// after an upgrade never leaves none running. The object serves the three add-images entries,
// Terminate and the Version property.
class HelperBusService {
public:
    static constexpr int kCallTimeoutMilliseconds = 5000;

    // `quit` ends the helper through its normal way out; it runs on a later turn of the loop.
    HelperBusService(QDBusConnection connection, std::shared_ptr<ServiceProvider> provider,
                     std::function<void()> quit);
    ~HelperBusService();
    HelperBusService(const HelperBusService&) = delete;
    HelperBusService& operator=(const HelperBusService&) = delete;

    // False when the name could not be taken (no session bus, or a helper that keeps it).
    bool claim();

private:
    QDBusConnection connection_;
    std::unique_ptr<HelperEndpoint> endpoint_;
    bool exported_ = false;
    bool ownsName_ = false;
};

} // namespace orlix::helper
