#include "App/AppDelegate.h"

#include "App/AppSettings.h"
#include "Model/Preferences.h"
#include "Platform/MainQueue.h"
#include "Platform/UserDefaults.h"
#include "Shared/ImageFileType.h"
#include "Shared/SharedDefinitions.h"
#include "TaskProcessing/ActivityUIController.h"
#include "TaskProcessing/ProcessingTracker.h"
#include "UI/Common/ApplicationActivatedClickEventDetector.h"
#include "UI/NonEssentialUINotifications.h"

namespace orlix {

std::shared_ptr<AppDelegate> AppDelegate::create(Services services) {
    std::shared_ptr<AppDelegate> delegate(new AppDelegate(std::move(services)));
    delegate->didCreate();
    return delegate;
}

AppDelegate::AppDelegate(Services services)
    : services_(std::move(services))
    , imageProcessingController_(ImageProcessingController::create(applicationModalUIState_,
                                                                   services_.processingEnvironment))
    , processingState_(ProcessingState::create())
    , sparkler_(services_.updater ? Sparkler::create(services_.updater) : nullptr)
    , applicationActivatedClickEventDetector_(
          std::make_unique<ApplicationActivatedClickEventDetector>()) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::didCreate() {
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    processingState_->startObserving();
    processingState_->processingBeganCallback = [weak] {
        if (const auto self = weak.lock()) {
            self->processingBegan();
        }
    };
    processingState_->processingCompletedCallback =
        [weak](const std::optional<ProcessingStats>& stats) {
            if (const auto self = weak.lock()) {
                self->processingCompletedWith(stats);
            }
        };
    if (services_.userNotifier) {
        services_.userNotifier->setActivationHandler([weak](const std::vector<std::string>& paths) {
            if (const auto self = weak.lock()) {
                self->revealResultFiles(paths);
            }
        });
    }
}

void AppDelegate::applicationDidFinishLaunching() {
    initialize(false, nullptr);
}

void AppDelegate::openFiles(const std::vector<std::string>& paths,
                            const std::vector<std::string>& arguments) {
    // Exports begun now would be cut off with the program.
    if (terminating_) {
        return;
    }
    const bool launchedForFiles = applicationState_ == ApplicationState::uninitialized;
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    initialize(launchedForFiles,
               [weak, paths, arguments, launchedForFiles](ApplicationState state) {
                   const auto self = weak.lock();
                   if (!self || state != ApplicationState::initialized) {
                       return;
                   }
                   const bool queued = self->queueImages(paths, arguments);
                   // Launched only for files of which none can be processed: no run will ever begin
                   // or end, so waiting for one would leave an invisible program behind. A later
                   // request with nothing to process changes nothing: the launch's own files may
                   // still be waiting for their settings or for their run to begin.
                   if (launchedForFiles && !queued &&
                       self->applicationRunMode_ == ApplicationRunMode::runThenTerminate) {
                       self->terminate(0);
                   }
               });
}

void AppDelegate::initialize(bool runThenTerminate, Completion completion) {
    if (applicationState_ != ApplicationState::uninitialized) {
        if (completion) {
            completion(applicationState_);
        }
        return;
    }
    setApplicationState(ApplicationState::initializationInProgress);
    setApplicationRunMode(runThenTerminate ? ApplicationRunMode::runThenTerminate
                                           : ApplicationRunMode::normal);
    installSparklerCallbacks();
    readFirstRunMessageFlags();
    finishInitialization(runThenTerminate, std::move(completion));
}

void AppDelegate::finishInitialization(bool runThenTerminate, Completion completion) {
    if (services_.loginItemSystem.loginItems && services_.loginItemSystem.runningApplications) {
        AppSettings::read(ArgumentsParser(services_.processArguments))
            .apply(services_.loginItemSystem);
    }
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    auto& center = NotificationCenter::defaultCenter();
    if (!trackerTaskQueuedObserver_) {
        trackerTaskQueuedObserver_ = center.addObserver(
            processingTrackerTaskQueuedNotification, nullptr, [weak](const Notification& posted) {
                const auto self = weak.lock();
                const auto found = posted.userInfo.find("TaskInfoKey");
                if (!self || found == posted.userInfo.end() ||
                    !self->services_.noteRecentDocument) {
                    return;
                }
                if (const auto* info = std::any_cast<ProcessingTaskInfo>(&found->second)) {
                    self->services_.noteRecentDocument(info->url);
                }
            });
    }
    if (!distributedImagesAddedObserver_ && services_.distributedCenter) {
        distributedImagesAddedObserver_ = services_.distributedCenter->addObserver(
            imagesAddedNotificationName,
            [weak](const DistributedNotificationCenter::UserInfo& userInfo) {
                if (const auto self = weak.lock()) {
                    self->handleImagesAdded(userInfo);
                }
            });
    }
    const auto standardUIObserver = [&](const char* name, bool display) {
        return center.addObserver(name, nullptr, [weak, display](const Notification&) {
            const auto self = weak.lock();
            if (self && self->applicationRunMode_ == ApplicationRunMode::normal) {
                self->setShouldDisplayStandardUI(display);
            }
        });
    };
    if (!showStandardUIObserver_) {
        showStandardUIObserver_ =
            standardUIObserver(imageProcessingShowStandardUINotification, true);
    }
    if (!hideStandardUIObserver_) {
        hideStandardUIObserver_ =
            standardUIObserver(imageProcessingHideStandardUINotification, false);
    }
    observeProcessingCompleted(runThenTerminate);
    setApplicationState(ApplicationState::initialized);
    checkForUpdatesIfDue(runThenTerminate);
    setShouldDisplayStandardUI(!runThenTerminate);
    if (completion) {
        completion(applicationState_);
    }
}

void AppDelegate::setApplicationState(ApplicationState state) {
    applicationState_ = state;
    isApplicationInitialized_.set(state == ApplicationState::initialized);
}

void AppDelegate::setApplicationRunMode(ApplicationRunMode mode) {
    applicationRunMode_ = mode;
    isApplicationInRunThenTerminateMode_.set(mode == ApplicationRunMode::runThenTerminate);
}

void AppDelegate::installSparklerCallbacks() {
    if (!sparkler_) {
        return;
    }
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    const auto withSelf = [weak](void (*action)(AppDelegate&)) {
        return [weak, action] {
            if (const auto self = weak.lock()) {
                action(*self);
            }
        };
    };
    sparkler_->updaterMayCheckForUpdatesCallback = [weak] {
        const auto self = weak.lock();
        return self && self->updaterMayCheckForUpdates();
    };
    sparkler_->updaterDidFindValidUpdateCallback =
        withSelf([](AppDelegate& self) { self.updaterDidFindValidUpdate(); });
    sparkler_->updaterWillShowModalDialogCallback = withSelf([](AppDelegate& self) {
        self.applicationModalUIState_->setModalSparkleDialogVisible(true);
    });
    sparkler_->updaterDidShowModalDialogCallback = withSelf([](AppDelegate& self) {
        self.applicationModalUIState_->setModalSparkleDialogVisible(false);
    });
}

void AppDelegate::checkForUpdatesIfDue(bool runThenTerminate) {
    if (!sparkler_ || !sparkler_->sparkleUpdateCheckDue()) {
        return;
    }
    // Launched for files, Orlix only looks whether an update exists unless the updater fetches
    // updates by itself: it shows nothing the user did not come for.
    if (runThenTerminate && !sparkler_->updater()->automaticallyDownloadsUpdates()) {
        sparkler_->checkForUpdateInformation();
    } else {
        sparkler_->updater()->checkForUpdatesInBackground();
    }
}

bool AppDelegate::updaterMayCheckForUpdates() const {
    if (applicationState_ != ApplicationState::initialized) {
        return false;
    }
    return applicationRunMode_ == ApplicationRunMode::normal ||
           sparkler_->updater()->automaticallyDownloadsUpdates();
}

// An update that only the user can install keeps Orlix open after the run, to offer it then.
void AppDelegate::updaterDidFindValidUpdate() {
    if (applicationRunMode_ != ApplicationRunMode::runThenTerminate ||
        sparkler_->updater()->automaticallyDownloadsUpdates()) {
        return;
    }
    setApplicationRunMode(ApplicationRunMode::normal);
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    imageProcessingCompletedObserver_.reset();
    imageProcessingCompletedObserver_ = NotificationCenter::defaultCenter().addObserver(
        imageProcessingCompletedNotification, imageProcessingController_.get(),
        [weak](const Notification&) {
            if (const auto self = weak.lock()) {
                self->completeAfterUpdateFound();
            }
        });
}

void AppDelegate::completeAfterUpdateFound() {
    observeProcessingCompleted(false);
    processingCompleted();
    if (services_.standardWindows) {
        services_.standardWindows->activate();
    }
    if (sparkler_->sparkleUpdateCheckDue()) {
        sparkler_->updater()->checkForUpdatesInBackground();
    }
}

void AppDelegate::checkForUpdates() {
    if (sparkler_) {
        sparkler_->updater()->checkForUpdates();
    }
}

bool AppDelegate::validateMenuItem(const std::string& identifier) const {
    if (identifier != checkForUpdatesMenuItemIdentifier) {
        return true;
    }
    if (applicationRunMode_ != ApplicationRunMode::normal ||
        applicationState_ != ApplicationState::initialized) {
        return false;
    }
    return applicationModalUIState_->modalDialogCanBeDisplayed() && sparkler_ &&
           sparkler_->updater()->validateMenuItem();
}

std::vector<ObservableProperty<bool>::Token>
AppDelegate::observeMenuValidation(const std::function<void()>& changed) {
    const auto observer = [changed](bool) { changed(); };
    std::vector<ObservableProperty<bool>::Token> tokens;
    tokens.push_back(applicationModalUIState_->observeModalDialogCanBeDisplayed(observer));
    tokens.push_back(isApplicationInitialized_.observe(observer));
    tokens.push_back(isApplicationInRunThenTerminateMode_.observe(observer));
    if (sparkler_) {
        tokens.push_back(sparkler_->updater()->observeMenuItemValidation(observer));
    }
    return tokens;
}

void AppDelegate::observeProcessingCompleted(bool runThenTerminate) {
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    imageProcessingCompletedObserver_ = NotificationCenter::defaultCenter().addObserver(
        imageProcessingCompletedNotification, imageProcessingController_.get(),
        [weak, runThenTerminate](const Notification&) {
            const auto self = weak.lock();
            if (!self) {
                return;
            }
            self->processingCompleted();
            if (runThenTerminate) {
                self->terminate(0);
            }
        });
}

void AppDelegate::setShouldDisplayStandardUI(bool display) {
    const bool stored = applicationState_ == ApplicationState::initialized && display;
    const bool changed = stored != shouldDisplayStandardUI_;
    shouldDisplayStandardUI_ = stored;
    if (applicationRunMode_ == ApplicationRunMode::normal && changed) {
        updateStandardUI();
    }
}

void AppDelegate::updateStandardUI() {
    createOperationsWindowIfNeeded();
    updateMessageWindow();
    updateWindowsVisibility();
}

void AppDelegate::createOperationsWindowIfNeeded() {
    const auto& windows = services_.standardWindows;
    if (!windows || windows->hasOperationsWindow()) {
        return;
    }
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    const auto dropped = [weak](std::vector<std::string> arguments) {
        return [weak, arguments](const std::vector<Url>& urls) {
            const auto self = weak.lock();
            if (!self) {
                return;
            }
            // Files dropped from another program bring Orlix to the front.
            self->services_.standardWindows->activate();
            std::vector<std::string> paths;
            for (const auto& url : urls) {
                paths.push_back(url.path().string());
            }
            self->addImages(paths, arguments);
        };
    };
    const auto clicked = [weak](AddImagesSettings::SettingsType type) {
        return [weak, type] {
            if (const auto self = weak.lock()) {
                self->promptForFiles(type);
            }
        };
    };
    using Type = AddImagesSettings::SettingsType;
    windows->createOperationsWindow({dropped({quickOptimizeArgument}), dropped({}),
                                     dropped({lastUsedSettingsArgument}),
                                     clicked(Type::quickOptimize), clicked(Type::resizeAndOptimize),
                                     clicked(Type::usePreviousSettings)});
}

void AppDelegate::updateWindowsVisibility() {
    const bool visible = Preferences::load().displayOperationsWindow && shouldDisplayStandardUI_;
    standardWindowsVisible_ = visible;
    if (!visible) {
        const std::weak_ptr<AppDelegate> weak = weak_from_this();
        setStandardWindowsAlpha(0.0, [weak] {
            if (const auto self = weak.lock()) {
                self->closeMessageWindow(false);
            }
        });
        return;
    }
    createOperationsWindowIfNeeded();
    const auto& windows = services_.standardWindows;
    if (!windows) {
        return;
    }
    // Windows the user put away stay away; they only get their opacity back.
    const bool hidden = windows->isApplicationHidden();
    windows->setAlpha(0.0);
    if (!(hasOrderedInOperationsWindow_ && hidden)) {
        hasOrderedInOperationsWindow_ = true;
        windows->makeKeyAndOrderFront();
    }
    const auto& messages = services_.messageWindows;
    if (messages && messages->hasMessageWindow()) {
        messages->setMessageWindowAlpha(0.0);
        if (!(hasOrderedInMessageWindow_ && hidden)) {
            hasOrderedInMessageWindow_ = true;
            messages->orderFrontMessageWindow();
        }
    }
    setStandardWindowsAlpha(1.0, nullptr);
}

// The drop window and the message below it fade together; `completion` runs when the drop
// window's fade ends.
void AppDelegate::setStandardWindowsAlpha(double alpha, std::function<void()> completion) {
    if (const auto& messages = services_.messageWindows; messages && messages->hasMessageWindow()) {
        messages->animateMessageWindowAlpha(alpha);
    }
    if (const auto& windows = services_.standardWindows;
        windows && windows->hasOperationsWindow()) {
        windows->animateAlpha(alpha, std::move(completion));
    } else if (completion) {
        completion();
    }
}

void AppDelegate::applicationDidBecomeActive() {
    NotificationCenter::defaultCenter().post(showNonEssentialUINotification, this);
}

void AppDelegate::applicationWillResignActive() {
    NotificationCenter::defaultCenter().post(hideNonEssentialUINotification, this);
}

void AppDelegate::reopen() {
    if (standardWindowsVisible_ && services_.standardWindows) {
        services_.standardWindows->activate();
    }
}

void AppDelegate::readFirstRunMessageFlags() {
    const auto defaults = UserDefaults::standardUserDefaults();
    if (!defaults->boolForKey(displayedEnableDragUIMessageDefaultsKey)) {
        shouldDisplayEnableDragUIMessage_ = true;
    } else if (!defaults->boolForKey(displayedEnableAutomaticUpdatesMessageDefaultsKey)) {
        shouldDisplayEnableAutomaticUpdatesMessage_ = true;
    }
}

void AppDelegate::updateMessageWindow() {
    using Message = MessageWindows::Message;
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    // Each message's dismissal clears what made it pending.
    const auto clearing = [weak](auto clear) {
        return [weak, clear] {
            if (const auto self = weak.lock()) {
                clear(*self);
            }
        };
    };
    if (shouldDisplayProcessingResultsMessage_) {
        showMessage(Message::processingResults, true, clearing([](AppDelegate& self) {
                        self.shouldDisplayProcessingResultsMessage_ = false;
                        self.processingResultsForDisplay_.reset();
                    }));
    } else if (shouldDisplayEnableDragUIMessage_) {
        showMessage(Message::enableDragUI, false, clearing([](AppDelegate& self) {
                        self.shouldDisplayEnableDragUIMessage_ = false;
                    }));
    } else if (shouldDisplayEnableAutomaticUpdatesMessage_) {
        showMessage(Message::enableAutomaticUpdates, false, clearing([](AppDelegate& self) {
                        self.shouldDisplayEnableAutomaticUpdatesMessage_ = false;
                    }));
    }
}

void AppDelegate::showMessage(MessageWindows::Message message, bool replacingCurrent,
                              std::function<void()> onDismiss) {
    const auto& windows = services_.messageWindows;
    if (!windows) {
        return;
    }
    if (replacingCurrent) {
        closeMessageWindow(false);
    }
    if (windows->hasMessageWindow()) {
        return;
    }
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    windows->createMessageWindow(message, processingResultsForDisplay_,
                                 [weak, onDismiss = std::move(onDismiss)] {
                                     if (onDismiss) {
                                         onDismiss();
                                     }
                                     if (const auto self = weak.lock()) {
                                         self->closeMessageWindow(true);
                                     }
                                 });
}

void AppDelegate::closeMessageWindow(bool animated) {
    const auto& windows = services_.messageWindows;
    if (windows && windows->hasMessageWindow()) {
        windows->closeMessageWindow(animated);
    }
}

void AppDelegate::processingBegan() {
    taskStats_.reset();
    shouldDisplayProcessingResultsMessage_ = false;
    processingResultsForDisplay_.reset();
}

void AppDelegate::processingCompletedWith(const std::optional<ProcessingStats>& stats) {
    taskStats_ = stats;
    if (!stats || stats->failedCount == 0) {
        return;
    }
    // A run with failures keeps Orlix open so that the user can see what went wrong.
    if (applicationRunMode_ == ApplicationRunMode::runThenTerminate) {
        setApplicationRunMode(ApplicationRunMode::normal);
        observeProcessingCompleted(false);
    }
    shouldDisplayProcessingResultsMessage_ = true;
    processingResultsForDisplay_ = stats;
}

void AppDelegate::addImages(const std::vector<std::string>& paths,
                            const std::vector<std::string>& arguments) {
    queueImages(paths, arguments);
}

bool AppDelegate::queueImages(const std::vector<std::string>& paths,
                              const std::vector<std::string>& arguments) {
    std::vector<Url> urls;
    for (const auto& path : paths) {
        urls.push_back(Url::fileUrl(path));
    }
    const auto images = ImageFileType::supportedImageURLs(urls);
    imageProcessingController_->addImages(
        images, AddImagesSettings::settingsTypeFromArguments(arguments), Preferences::load());
    return !images.empty();
}

void AppDelegate::handleImagesAdded(const DistributedNotificationCenter::UserInfo& userInfo) {
    const auto paths = userInfo.find(imagesAddedPathsKey);
    const auto arguments = userInfo.find(imagesAddedArgumentsKey);
    if (paths == userInfo.end() || arguments == userInfo.end()) {
        return;
    }
    addImages(paths->second, arguments->second);
}

void AppDelegate::promptForFiles(AddImagesSettings::SettingsType settingsType) {
    imageProcessingController_->promptForFiles(settingsType);
}

void AppDelegate::doAbout() {
    if (!aboutWindowController_ && services_.makeAboutWindowController) {
        aboutWindowController_ = services_.makeAboutWindowController();
    }
    if (aboutWindowController_) {
        aboutWindowController_->showWindow();
    }
}

void AppDelegate::doEditPreferences() {
    // A second window would keep showing what the first one has since changed, and its next
    // click would write its old keys back over the change.
    const bool open =
        preferencesWindowController_ && preferencesWindowController_->isWindowVisible();
    if (!open && services_.makePreferencesWindowController) {
        preferencesWindowController_ = services_.makePreferencesWindowController();
    }
    if (preferencesWindowController_) {
        preferencesWindowController_->showWindow();
    }
}

void AppDelegate::processingCompleted() {
    const auto stats = taskStats_.value_or(ProcessingStats::empty());
    taskStats_.reset();
    deliverCompletionNotification(stats);
    const auto urls = stats.succeededResultPaths();
    if (!urls.empty() && services_.fileRevealer) {
        services_.fileRevealer->reveal(urls);
    }
}

void AppDelegate::deliverCompletionNotification(const ProcessingStats& stats) {
    if ((services_.isActive && services_.isActive()) || !services_.userNotifier ||
        stats.failedCount + stats.succeededCount == 0) {
        return;
    }
    std::vector<std::string> paths;
    for (const auto& url : stats.succeededResultPaths()) {
        paths.push_back(url.path().string());
    }
    const auto title = ActivityUIController::completionString(
        stats.succeededCount, stats.totalOriginalFileSize, stats.totalProcessedFileSize);
    // Not translated, like the summary in the activity window.
    const auto text = std::to_string(stats.succeededCount) + " succeeded. " +
                      std::to_string(stats.failedCount) + " failed. " +
                      std::to_string(stats.cancelledCount) + " canceled.";
    services_.userNotifier->deliver(title, text, paths);
}

void AppDelegate::revealResultFiles(const std::vector<std::string>& paths) {
    std::vector<Url> urls;
    for (const auto& path : paths) {
        urls.push_back(Url::fileUrl(path));
    }
    if (!urls.empty() && services_.fileRevealer) {
        services_.fileRevealer->reveal(urls);
    }
}

bool AppDelegate::requestQuit() {
    // A quit under way needs no question; a refused one left nothing behind that blocks this.
    if (terminating_) {
        return true;
    }
    if (processingState_->isProcessing()) {
        applicationModalUIState_->setAskUserIfTheyWishToContinueQuittingDialogVisible(true);
        const bool quit =
            services_.confirmQuitWhileProcessing && services_.confirmQuitWhileProcessing();
        applicationModalUIState_->setAskUserIfTheyWishToContinueQuittingDialogVisible(false);
        if (!quit) {
            return false;
        }
    }
    terminate(0);
    return true;
}

void AppDelegate::quitForSignal(int signalNumber) {
    // Files waiting for their settings are given up as much as the exports under way. An export
    // can be under way before the tracker's word that a run began has reached this thread.
    const bool workCancelled =
        processingState_->isProcessing() || applicationModalUIState_->settingsDialogVisible() ||
        imageProcessingController_->exportQueue().queue()->operationCount() > 0;
    terminate(workCancelled ? 128 + signalNumber : 0);
}

void AppDelegate::terminate(int status) {
    if (terminating_) {
        return;
    }
    terminating_ = true;
    // Exports stop at their next step; waiting for them lets a file that is being written get
    // its name. One stuck in a system call is given up after the limit: its output has no name
    // until it is whole, so nothing of it is left.
    imageProcessingController_->cancelAll();
    const bool exportsEnded =
        imageProcessingController_->exportQueue().queue()->waitUntilAllOperationsAreFinished(
            services_.exportsWaitLimit);
    // What was just sent to the desktop must leave the process before it ends.
    if (services_.userNotifier) {
        services_.userNotifier->flush();
    }
    if (services_.fileRevealer) {
        services_.fileRevealer->flush();
    }
    const auto& exit = exportsEnded ? services_.exit : services_.exitNow;
    if (exit) {
        exit(status);
    }
}

} // namespace orlix
