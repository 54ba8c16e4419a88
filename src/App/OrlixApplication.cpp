#include "App/OrlixApplication.h"

#include "App/QtMessageWindows.h"
#include "Desktop/DBusApplicationInstance.h"
#include "Desktop/DBusDistributedNotificationCenter.h"
#include "Desktop/DockBadger.h"
#include "Desktop/FreedesktopFileRevealer.h"
#include "Desktop/FreedesktopUserNotifier.h"
#include "Desktop/PackagedUpdater.h"
#include "Desktop/QtLocalizer.h"
#include "Desktop/QtMainExecutor.h"
#include "Desktop/QuitSignalNotifier.h"
#include "Export/ImageUtilsClient.h"
#include "Platform/Localization.h"
#include "Platform/MainQueue.h"
#include "UI/ActivityWindow/StackViewActivityWindowController.h"
#include "UI/DropPanel/OperationsWindowController.h"
#include "UI/ExportSettings/ExportSettingsWindowController.h"
#include "UI/QtFileChooser.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSessionManager>

namespace orlix {

namespace {

QString text(const char* value, const char* comment) {
    return QString::fromStdString(localized(value, comment));
}

bool askToQuitWhileProcessing() {
    QMessageBox alert(QMessageBox::Warning, QStringLiteral("Orlix"),
                      text("Are you sure you want to quit while images are still being processed?",
                           "Quit confirmation while images are processed"));
    auto* quit =
        alert.addButton(text("Quit", "Quit confirmation button"), QMessageBox::DestructiveRole);
    alert.addButton(text("Cancel", "Quit confirmation button"), QMessageBox::RejectRole);
    alert.exec();
    return alert.clickedButton() == quit;
}

std::vector<std::string> paths(const std::vector<Url>& urls) {
    std::vector<std::string> result;
    for (const auto& url : urls) {
        result.push_back(url.path().string());
    }
    return result;
}

} // namespace

OrlixApplication::OrlixApplication(const CommandLine& commandLine)
    : commandLine_(commandLine) {}

OrlixApplication::~OrlixApplication() {
    delegate_.reset();
    dropWindow_.reset();
    MainQueue::setExecutor(nullptr);
    if (executor_) {
        executor_->close();
    }
}

AppDelegate::Services OrlixApplication::services() {
    AppDelegate::Services services;
    services.userNotifier = std::make_shared<FreedesktopUserNotifier>();
    services.fileRevealer = std::make_shared<FreedesktopFileRevealer>();
    services.distributedCenter = std::make_shared<DBusDistributedNotificationCenter>();
    services.updater = std::make_shared<PackagedUpdater>();
    services.messageWindows = std::make_shared<QtMessageWindows>(
        [this] { return dropWindow_ ? dropWindow_->window() : nullptr; }, services.updater);
    services.processingEnvironment = {
        [] { return std::make_unique<ExportSettingsWindowController>(); },
        [] { return std::make_unique<QtFileChooser>(); },
        [] { return std::make_shared<StackViewActivityWindowController>(); },
        [] { ImageUtilsClient::terminate(); }};
    services.isActive = [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; };
    services.setStandardUIVisible = [this](bool visible) { showStandardUI(visible); };
    services.confirmQuitWhileProcessing = askToQuitWhileProcessing;
    services.exit = [this](int status) { exit(status); };
    return services;
}

void OrlixApplication::showStandardUI(bool visible) {
    if (!dropWindow_ && visible) {
        const std::weak_ptr<AppDelegate> weak = delegate_;
        const auto dropped = [this, weak](const char* argument) {
            return [this, weak, argument](const std::vector<Url>& urls) {
                // Files dropped from another program bring Orlix to the front.
                if (dropWindow_ && dropWindow_->window()) {
                    dropWindow_->window()->activateWindow();
                }
                if (const auto delegate = weak.lock()) {
                    delegate->addImages(paths(urls), argument ? std::vector<std::string>{argument}
                                                              : std::vector<std::string>{});
                }
            };
        };
        const auto clicked = [weak](AddImagesSettings::SettingsType type) {
            return [weak, type] {
                if (const auto delegate = weak.lock()) {
                    delegate->promptForFiles(type);
                }
            };
        };
        using Type = AddImagesSettings::SettingsType;
        dropWindow_ =
            std::make_unique<OperationsWindowController>(OperationsWindowController::Callbacks{
                dropped("-quick-optimize"), dropped(nullptr), dropped("-last-used-settings"),
                clicked(Type::quickOptimize), clicked(Type::resizeAndOptimize),
                clicked(Type::usePreviousSettings), [weak] {
                    const auto delegate = weak.lock();
                    return !delegate || delegate->requestQuit();
                }});
    }
    if (dropWindow_) {
        dropWindow_->setVisible(visible);
    }
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

int OrlixApplication::run(QApplication& application) {
    application.setQuitOnLastWindowClosed(false);
    executor_ = std::make_shared<QtMainExecutor>();
    MainQueue::setExecutor(executor_);
    QtLocalizer::install();

    instance_ = std::make_unique<DBusApplicationInstance>();
    if (handedOver()) {
        return 0;
    }
    delegate_ = AppDelegate::create(services());
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
    instance_->setActivateHandler([this] { showStandardUI(true); });
    installQuitRoutes(application);
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
    if (instance_->forward(commandLine_.paths, commandLine_.arguments)) {
        return true;
    }
    instance_->waitUntilReleased(kQuittingInstanceWait);
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
