#pragma once

#include "App/AppDelegate.h"
#include "App/CommandLine.h"
#include "Desktop/ApplicationInstance.h"

#include <memory>
#include <vector>

class QApplication;

namespace orlix {

class OperationsWindowController;
class QtMainExecutor;

// The program: one instance per session, the desktop services, the windows and the delegate,
// wired together on the Qt event loop.
class OrlixApplication {
public:
    explicit OrlixApplication(const CommandLine& commandLine);
    ~OrlixApplication();

    // Runs until Orlix quits; the exit status.
    int run(QApplication& application);

private:
    AppDelegate::Services services(QApplication& application);
    void showStandardUI(bool visible);
    void installQuitRoutes(QApplication& application);

    CommandLine commandLine_;
    std::shared_ptr<QtMainExecutor> executor_;
    std::unique_ptr<ApplicationInstance> instance_;
    std::unique_ptr<OperationsWindowController> dropWindow_;
    std::shared_ptr<AppDelegate> delegate_;
};

} // namespace orlix
