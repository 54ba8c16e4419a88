#pragma once

#include "Helper/Floater.h"
#include "Helper/HelperCommandLine.h"

#include <chrono>
#include <memory>

class QApplication;

namespace orlix {
class QtMainExecutor;
}

namespace orlix::helper {

class AppDelegate;
class DesktopLaunchEnvironment;
class HelperBusService;

// The program: the one-shot service run, or the background helper with its bus service, its
// drag detection and its delegate, wired together on the Qt event loop.
class HelperApplication {
public:
    HelperApplication();
    ~HelperApplication();
    HelperApplication(const HelperApplication&) = delete;
    HelperApplication& operator=(const HelperApplication&) = delete;

    // Hands the files over and returns the exit status: 0 when the main application got them.
    // Needs a QCoreApplication; never takes the helper's name.
    int runService(const HelperCommandLine& commandLine);
    // Runs until the helper is ended from outside or replaced by a newer one.
    int runInBackground(QApplication& application);

    // Other programs' drags can be seen only under X11: a Wayland session shows none to anyone.
    static bool isWaylandSession();

private:
    static constexpr std::chrono::seconds kSessionBusCheckInterval{2};

    static void endWithTheSessionBus(QApplication& application);
    // The floating window, when the drop panel is built in.
    FloaterFactory floaterFactory() const;

    std::shared_ptr<QtMainExecutor> executor_;
    std::shared_ptr<DesktopLaunchEnvironment> environment_;
    std::unique_ptr<HelperBusService> busService_;
    std::shared_ptr<AppDelegate> delegate_;
};

} // namespace orlix::helper
