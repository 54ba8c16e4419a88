#pragma once

#include "Desktop/ApplicationInstance.h"

#include <QDBusConnection>

#include <chrono>
#include <memory>

namespace orlix {

class ApplicationEndpoint;

// The single instance on the session bus: the owner of the well-known name serves
// org.freedesktop.Application, so that later launches (and the desktop's launcher) hand it their
// files. Without a session bus every launch runs on its own.
class DBusApplicationInstance final : public ApplicationInstance {
public:
    static constexpr std::chrono::milliseconds kCallTimeout{5000};

    explicit DBusApplicationInstance(QDBusConnection connection = QDBusConnection::sessionBus());
    ~DBusApplicationInstance() override;
    DBusApplicationInstance(const DBusApplicationInstance&) = delete;
    DBusApplicationInstance& operator=(const DBusApplicationInstance&) = delete;

    bool claim() override;
    void setOpenHandler(OpenHandler handler) override;
    void setActivateHandler(ActivateHandler handler) override;
    void setRevealResultFilesHandler(RevealHandler handler) override;
    void setQuittingCheck(QuittingCheck check) override;
    bool forward(const std::vector<std::string>& paths, const std::vector<std::string>& arguments,
                 std::chrono::system_clock::time_point deadline) override;
    bool waitUntilReleased(std::chrono::milliseconds timeout) override;

private:
    // Asks the bus, waiting for its answer until `answerBy` at most; a bus that cannot answer
    // holds nobody back.
    bool nameHasOwner(std::chrono::steady_clock::time_point answerBy);

    QDBusConnection connection_;
    std::unique_ptr<ApplicationEndpoint> endpoint_;
    bool exported_ = false;
    bool ownsName_ = false;
};

} // namespace orlix
