#pragma once

#include "App/AppDelegate.h"
#include "App/ApplicationMenu.h"
#include "App/CommandLine.h"
#include "App/RecentDocuments.h"
#include "Desktop/ApplicationInstance.h"
#include "TaskProcessing/ActivityWindow.h"

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

class QApplication;

namespace orlix {

class QtMainExecutor;
class QtStandardWindows;

// The program: one instance per session, the desktop services, the windows and the delegate,
// wired together on the Qt event loop.
class OrlixApplication {
public:
    // How long a later launch waits, all told, for a running Orlix to take its files or, when
    // that one is quitting or does not answer, to go, before it runs them itself.
    static constexpr std::chrono::seconds kHandOverLimit{30};

    explicit OrlixApplication(const CommandLine& commandLine);
    ~OrlixApplication();

    // Runs until Orlix quits; the exit status.
    int run(QApplication& application);

    // Makes the activity window of each run, which takes the drop window's place during the run,
    // and its menu too.
    static ActivityWindowFactory activityWindows(const ApplicationMenu& menu);

private:
    AppDelegate::Services services(QApplication& application);
    bool handedOver();
    void installQuitRoutes(QApplication& application);
    void followApplicationState(QApplication& application);
    void exit(int status);

    CommandLine commandLine_;
    std::shared_ptr<QtMainExecutor> executor_;
    std::unique_ptr<ApplicationInstance> instance_;
    std::shared_ptr<RecentDocuments> recentDocuments_ =
        std::make_shared<RecentDocuments>(UserDefaults::standardUserDefaults());
    std::unique_ptr<ApplicationMenu> menu_;
    std::shared_ptr<QtStandardWindows> standardWindows_;
    std::shared_ptr<AppDelegate> delegate_;
    // The status of a quit asked for before the event loop ran, which the loop would not see.
    std::optional<int> exitStatus_;
};

} // namespace orlix
