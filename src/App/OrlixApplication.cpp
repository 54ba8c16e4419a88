#include "App/OrlixApplication.h"

#include "App/ApplicationMenu.h"
#include "App/QtMessageWindows.h"
#include "App/QtStandardWindows.h"
#include "App/QtUpdateAlerts.h"
#include "App/QuitConfirmation.h"
#include "Desktop/AutostartEntry.h"
#include "Desktop/BusRunningApplications.h"
#include "Desktop/DBusApplicationInstance.h"
#include "Desktop/DBusDistributedNotificationCenter.h"
#include "Desktop/DockBadger.h"
#include "Desktop/FreedesktopFileRevealer.h"
#include "Desktop/PackageKitUpdater.h"
#include "Desktop/QtLocalizer.h"
#include "Desktop/QtMainExecutor.h"
#include "Desktop/QuitSignalNotifier.h"
#include "Desktop/SessionUserNotifier.h"
#include "Desktop/XdgAutostartLoginItem.h"
#include "Export/ImageUtilsClient.h"
#include "Platform/MainQueue.h"
#include "UI/About/AboutWindowController.h"
#include "UI/ActivityWindow/StackViewActivityWindowController.h"
#include "UI/DropWindow/OperationsWindow.h"
#include "UI/DropWindow/OperationsWindowController.h"
#include "UI/ExportSettings/ExportSettingsWindowController.h"
#include "UI/Preferences/PreferencesWindowController.h"
#include "UI/QtFileChooser.h"

#include <QApplication>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QSessionManager>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace orlix {

namespace {

std::filesystem::path programPath() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error);
}

OSIntegrationManager::System loginItemSystem() {
    auto running = std::make_shared<BusRunningApplications>(QDBusConnection::sessionBus());
    auto loginItems = std::make_shared<XdgAutostartLoginItem>(
        AutostartEntry::defaultPath(), XdgAutostartLoginItem::helperProgram(programPath()),
        ORLIX_VERSION, running, XdgAutostartLoginItem::startDetached);
    return {std::move(loginItems), std::move(running), std::string(ORLIX_VERSION)};
}

} // namespace

OrlixApplication::OrlixApplication(const CommandLine& commandLine)
    : commandLine_(commandLine) {}

OrlixApplication::~OrlixApplication() {
    delegate_.reset();
    standardWindows_.reset();
    menu_.reset();
    MainQueue::setExecutor(nullptr);
    if (executor_) {
        executor_->close();
    }
}

ActivityWindowFactory OrlixApplication::activityWindows(const ApplicationMenu& menu) {
    return [&menu] {
        auto activity = std::make_shared<StackViewActivityWindowController>();
        activity->loadWindow();
        menu.attach(activity->window());
        return activity;
    };
}

AppDelegate::Services OrlixApplication::services(QApplication& application) {
    menu_ = std::make_unique<ApplicationMenu>(
        &application, [this] { return delegate_.get(); }, recentDocuments_,
        QStringLiteral(ORLIX_SUPPORT_ADDRESS).trimmed());
    AppDelegate::Services services;
    services.userNotifier = std::make_shared<SessionUserNotifier>();
    services.fileRevealer = std::make_shared<FreedesktopFileRevealer>();
    services.distributedCenter = std::make_shared<DBusDistributedNotificationCenter>();
    services.updater = std::make_shared<PackageKitUpdater>(
        QDBusConnection::systemBus(), programPath().string(), std::make_shared<QtUpdateAlerts>());
    services.messageWindows = std::make_shared<QtMessageWindows>(
        [this]() -> QWidget* {
            auto* controller =
                standardWindows_ ? standardWindows_->operationsWindowController() : nullptr;
            return controller ? controller->window() : nullptr;
        },
        services.updater);
    services.processingEnvironment = {
        [] { return std::make_unique<ExportSettingsWindowController>(); },
        [] { return std::make_unique<QtFileChooser>(); }, activityWindows(*menu_),
        [] { ImageUtilsClient::terminate(); }};
    services.isActive = [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; };
    standardWindows_ = std::make_shared<QtStandardWindows>(
        [this](QWidget* window) { menu_->attach(window); },
        [this] { return !delegate_ || delegate_->requestQuit(); });
    services.standardWindows = standardWindows_;
    services.confirmQuitWhileProcessing = QuitConfirmation::askWhileProcessing;
    services.exit = [this](int status) { exit(status); };
    services.exitNow = [](int status) {
        std::fflush(nullptr);
        std::_Exit(status);
    };
    services.makeAboutWindowController = [] { return std::make_unique<AboutWindowController>(); };
    services.makePreferencesWindowController = [] {
        return std::make_unique<PreferencesWindowController>();
    };
    services.processArguments = commandLine_.arguments;
    services.processArguments.insert(services.processArguments.begin(),
                                     QCoreApplication::applicationFilePath().toStdString());
    services.loginItemSystem = loginItemSystem();
    services.noteRecentDocument = [recent = recentDocuments_](const Url& url) {
        recent->note(url);
    };
    return services;
}

void OrlixApplication::installQuitRoutes(QApplication& application) {
    const std::weak_ptr<AppDelegate> weak = delegate_;
    // Nobody can answer a question for a signal: the work is cancelled and Orlix quits.
    QuitSignalNotifier::install(&application, [weak](int signalNumber) {
        if (const auto delegate = weak.lock()) {
            delegate->quitForSignal(signalNumber);
        }
    });
    // The end of the session asks too, when the session allows it.
    QObject::connect(&application, &QGuiApplication::commitDataRequest,
                     [weak](QSessionManager& manager) {
                         const auto delegate = weak.lock();
                         if (delegate && manager.allowsInteraction() && !delegate->requestQuit()) {
                             manager.cancel();
                         }
                         manager.release();
                     });
}

void OrlixApplication::followApplicationState(QApplication& application) {
    const std::weak_ptr<AppDelegate> weak = delegate_;
    QObject::connect(&application, &QGuiApplication::applicationStateChanged,
                     [weak, active = false](Qt::ApplicationState state) mutable {
                         const auto delegate = weak.lock();
                         const bool nowActive = state == Qt::ApplicationActive;
                         if (!delegate || nowActive == active) {
                             return;
                         }
                         active = nowActive;
                         if (active) {
                             delegate->applicationDidBecomeActive();
                         } else {
                             delegate->applicationWillResignActive();
                         }
                     });
}

int OrlixApplication::run(QApplication& application) {
    application.setQuitOnLastWindowClosed(false);
    executor_ = std::make_shared<QtMainExecutor>();
    MainQueue::setExecutor(executor_);
    QtLocalizer::install();

    instance_ = std::make_unique<DBusApplicationInstance>();
    if (handedOver()) {
        return 0;
    }
    delegate_ = AppDelegate::create(services(application));
    // Before the first file can arrive, so that the launcher shows every run from its start.
    DockBadger::shared().setEnabled(true);
    const std::weak_ptr<AppDelegate> weak = delegate_;
    instance_->setQuittingCheck([weak] {
        const auto delegate = weak.lock();
        return !delegate || delegate->isTerminating();
    });
    instance_->setOpenHandler(
        [weak](const std::vector<std::string>& files, const std::vector<std::string>& arguments) {
            if (const auto delegate = weak.lock()) {
                delegate->openFiles(files, arguments);
            }
        });
    instance_->setActivateHandler([weak] {
        if (const auto delegate = weak.lock()) {
            delegate->reopen();
        }
    });
    instance_->setRevealResultFilesHandler([weak](const std::vector<std::string>& paths) {
        if (const auto delegate = weak.lock()) {
            delegate->revealResultFiles(paths);
        }
    });
    installQuitRoutes(application);
    followApplicationState(application);
    menu_->followValidation(*delegate_);
    if (commandLine_.paths.empty()) {
        delegate_->applicationDidFinishLaunching();
    } else {
        delegate_->openFiles(commandLine_.paths, commandLine_.arguments);
    }
    if (exitStatus_) {
        return *exitStatus_;
    }
    const int status = application.exec();
    return exitStatus_.value_or(status);
}

bool OrlixApplication::handedOver() {
    if (instance_->claim()) {
        return false;
    }
    // Another Orlix runs in this session: it takes the files, unless it is quitting (or cannot
    // answer). Then this launch runs them itself once that one has gone, or alone if it stays.
    if (instance_->handOver(commandLine_.paths, commandLine_.arguments, kHandOverLimit)) {
        return true;
    }
    instance_->claim();
    return false;
}

void OrlixApplication::exit(int status) {
    // Ends every loop that runs, nested ones too; before the event loop runs only the status
    // remembers the quit.
    exitStatus_ = status;
    QCoreApplication::exit(status);
}

} // namespace orlix
