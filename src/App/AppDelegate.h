#pragma once

#include "App/MessageWindows.h"
#include "App/OSIntegrationManager.h"
#include "App/Sparkler.h"
#include "App/StandardWindows.h"
#include "Desktop/DistributedNotificationCenter.h"
#include "Desktop/FileRevealer.h"
#include "Desktop/Updater.h"
#include "Desktop/UserNotifier.h"
#include "Platform/NotificationCenter.h"
#include "Platform/ObservableProperty.h"
#include "TaskProcessing/ApplicationModalUIState.h"
#include "TaskProcessing/ImageProcessingController.h"
#include "TaskProcessing/ProcessingState.h"
#include "TaskProcessing/ProcessingStats.h"
#include "UI/WindowController.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orlix {

class ApplicationActivatedClickEventDetector;

// The application's long-lived objects and the rules of its life: start-up, the two run modes
// (stay open, or process the files Orlix was launched with and quit), adding images, the end of
// a run with its notification and reveal, and quitting. Main thread only.
class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
public:
    enum class ApplicationState {
        uninitialized,
        initialized,
        initializationFailed,
        initializationInProgress
    };
    enum class ApplicationRunMode { normal, runThenTerminate };

    // What the delegate needs of the desktop and the windows, supplied by the program (or a test).
    struct Services {
        std::shared_ptr<UserNotifier> userNotifier;
        std::shared_ptr<FileRevealer> fileRevealer;
        std::shared_ptr<DistributedNotificationCenter> distributedCenter;
        std::shared_ptr<Updater> updater;
        ImageProcessingController::Environment processingEnvironment;
        // Whether Orlix is the application the user works in.
        std::function<bool()> isActive;
        // The drop window, the standard interface.
        std::shared_ptr<StandardWindows> standardWindows;
        // The message window below the drop window.
        std::shared_ptr<MessageWindows> messageWindows;
        // Asks whether to quit while images are being processed; true to quit.
        std::function<bool()> confirmQuitWhileProcessing;
        // Ends the event loop with the given status.
        std::function<void(int)> exit;
        // Ends the process at once with the given status: for exports still stuck in the system
        // (a hung network mount) once the quit stopped waiting for them, which nothing may wait
        // on, not even the program's own teardown.
        std::function<void(int)> exitNow;
        // How long a quit waits for the exports under way to stop.
        std::chrono::steady_clock::duration exportsWaitLimit = std::chrono::seconds(5);
        // Every queued image enters the recently used files.
        std::function<void(const Url&)> noteRecentDocument;
        // The About and preferences windows, made when the user asks for them.
        std::function<std::unique_ptr<WindowController>()> makeAboutWindowController;
        std::function<std::unique_ptr<WindowController>()> makePreferencesWindowController;
        // The process's arguments, its program first: the switches that look after the login
        // item are read from them once, at start-up.
        std::vector<std::string> processArguments;
        // Where the login item lives; without a registry it is left alone.
        OSIntegrationManager::System loginItemSystem;
    };

    static std::shared_ptr<AppDelegate> create(Services services);
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Start-up without files: Orlix stays open with its drop window.
    void applicationDidFinishLaunching();
    // Files to open, at launch (run then quit) or later (added to the running Orlix). Arguments
    // are those of the request that brought them: the command line of the launch that sent them,
    // none from a file manager's "Open With". Ignored once Orlix is quitting.
    void openFiles(const std::vector<std::string>& paths,
                   const std::vector<std::string>& arguments);
    // Every way of adding images by path ends here.
    void addImages(const std::vector<std::string>& paths,
                   const std::vector<std::string>& arguments);
    // Menu items and drop-zone clicks.
    void promptForFiles(AddImagesSettings::SettingsType settingsType);
    // The About window, made once and kept.
    void doAbout();
    // The preferences window: the one that is open is brought forward, else a new one shows
    // what is stored now.
    void doEditPreferences();
    // A click on a notification of a finished run.
    void revealResultFiles(const std::vector<std::string>& paths);
    // Every way the user quits comes here: asks first while images are being processed.
    bool requestQuit();
    // A quit nobody can be asked about (from the session, a service manager or a terminal):
    // cancels the work and quits with 0, or 128 + the signal's number when work was cancelled.
    void quitForSignal(int signalNumber);
    bool isTerminating() const { return terminating_; }
    // Orlix became the active application, or stopped being it.
    void applicationDidBecomeActive();
    void applicationWillResignActive();
    // A later launch without files: brings forward what the standard interface shows now.
    void reopen();

    // The menu item whose validation follows the application's state and the modal dialogs.
    static constexpr const char* checkForUpdatesMenuItemIdentifier = "CheckForUpdatesMenuItem";
    // The user asked for an update check.
    void checkForUpdates();
    // Every other item is enabled; the check-for-updates item only in the normal run mode after
    // start-up, while no modal dialog is up, and when the updater allows it.
    bool validateMenuItem(const std::string& identifier) const;
    // Calls `changed` whenever the answer of validateMenuItem may have changed.
    [[nodiscard]] std::vector<ObservableProperty<bool>::Token>
    observeMenuValidation(const std::function<void()>& changed);

    ApplicationState applicationState() const { return applicationState_; }
    ApplicationRunMode applicationRunMode() const { return applicationRunMode_; }
    bool shouldDisplayStandardUI() const { return shouldDisplayStandardUI_; }
    // Only after start-up, and only in the normal run mode, does a change show or hide anything.
    void setShouldDisplayStandardUI(bool display);
    const std::shared_ptr<ApplicationModalUIState>& applicationModalUIState() const {
        return applicationModalUIState_;
    }
    const std::shared_ptr<ImageProcessingController>& imageProcessingController() const {
        return imageProcessingController_;
    }
    // Results of the last run with failures, for the results message.
    const std::optional<ProcessingStats>& processingResultsForDisplay() const {
        return processingResultsForDisplay_;
    }

private:
    explicit AppDelegate(Services services);
    void didCreate();

    using Completion = std::function<void(ApplicationState)>;
    void initialize(bool runThenTerminate, Completion completion);
    void setApplicationState(ApplicationState state);
    void setApplicationRunMode(ApplicationRunMode mode);
    void installSparklerCallbacks();
    // The start-up check, when one is due.
    void checkForUpdatesIfDue(bool runThenTerminate);
    bool updaterMayCheckForUpdates() const;
    void updaterDidFindValidUpdate();
    void completeAfterUpdateFound();
    void finishInitialization(bool runThenTerminate, Completion completion);
    void observeProcessingCompleted(bool runThenTerminate);
    void updateStandardUI();
    void createOperationsWindowIfNeeded();
    // At most one first-run question per launch, the drag panel's first.
    void readFirstRunMessageFlags();
    // Shows the first pending message: the results, then a first-run question.
    void updateMessageWindow();
    // A message already on screen stays unless `replacingCurrent`.
    void showMessage(MessageWindows::Message message, bool replacingCurrent,
                     std::function<void()> onDismiss);
    void closeMessageWindow(bool animated);
    void updateWindowsVisibility();
    void setStandardWindowsAlpha(double alpha, std::function<void()> completion);
    void processingBegan();
    void processingCompletedWith(const std::optional<ProcessingStats>& stats);
    void processingCompleted();
    void deliverCompletionNotification(const ProcessingStats& stats);
    // Hands the PNG and JPEG files among `paths` to the processing controller; false when there
    // was none.
    bool queueImages(const std::vector<std::string>& paths,
                     const std::vector<std::string>& arguments);
    void handleImagesAdded(const DistributedNotificationCenter::UserInfo& userInfo);
    void terminate(int status);

    Services services_;
    std::shared_ptr<ApplicationModalUIState> applicationModalUIState_ =
        std::make_shared<ApplicationModalUIState>();
    std::shared_ptr<ImageProcessingController> imageProcessingController_;
    std::shared_ptr<ProcessingState> processingState_;
    std::shared_ptr<Sparkler> sparkler_;
    ApplicationState applicationState_ = ApplicationState::uninitialized;
    ApplicationRunMode applicationRunMode_ = ApplicationRunMode::normal;
    ObservableProperty<bool> isApplicationInitialized_{false};
    ObservableProperty<bool> isApplicationInRunThenTerminateMode_{false};
    bool shouldDisplayStandardUI_ = false;
    bool hasOrderedInOperationsWindow_ = false;
    // The standard windows are shown, as far as the last update decided.
    bool standardWindowsVisible_ = false;
    bool shouldDisplayProcessingResultsMessage_ = false;
    std::optional<ProcessingStats> processingResultsForDisplay_;
    bool shouldDisplayEnableDragUIMessage_ = false;
    bool shouldDisplayEnableAutomaticUpdatesMessage_ = false;
    bool hasOrderedInMessageWindow_ = false;
    std::optional<ProcessingStats> taskStats_;
    bool terminating_ = false;
    std::unique_ptr<ApplicationActivatedClickEventDetector> applicationActivatedClickEventDetector_;
    std::unique_ptr<WindowController> aboutWindowController_;
    std::unique_ptr<WindowController> preferencesWindowController_;

    std::unique_ptr<DistributedNotificationCenter::Observation> distributedImagesAddedObserver_;
    std::unique_ptr<NotificationCenter::ObserverToken> trackerTaskQueuedObserver_;
    std::unique_ptr<NotificationCenter::ObserverToken> imageProcessingCompletedObserver_;
    std::unique_ptr<NotificationCenter::ObserverToken> showStandardUIObserver_;
    std::unique_ptr<NotificationCenter::ObserverToken> hideStandardUIObserver_;
};

} // namespace orlix
