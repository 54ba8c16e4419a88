#include "App/OrlixApplication.h"

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
}

AppDelegate::Services OrlixApplication::services(QApplication& application) {
    AppDelegate::Services services;
    services.userNotifier = std::make_shared<FreedesktopUserNotifier>();
    services.fileRevealer = std::make_shared<FreedesktopFileRevealer>();
    services.distributedCenter = std::make_shared<DBusDistributedNotificationCenter>();
    services.updater = std::make_shared<PackagedUpdater>();
    services.processingEnvironment = {
        [] { return std::make_unique<ExportSettingsWindowController>(); },
        [] { return std::make_unique<QtFileChooser>(); },
        [] { return std::make_shared<StackViewActivityWindowController>(); },
        [] { ImageUtilsClient::terminate(); }};
    services.isActive = [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; };
    services.setStandardUIVisible = [this](bool visible) { showStandardUI(visible); };
    services.confirmQuitWhileProcessing = askToQuitWhileProcessing;
    services.exit = [&application](int status) { application.exit(status); };
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
    // Signals end the program through the same question as the menu.
    QuitSignalNotifier::install(&application, [weak] {
        if (const auto delegate = weak.lock()) {
            delegate->requestQuit();
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
    if (!instance_->claim()) {
        // Another Orlix runs in this session: it takes the files.
        return instance_->forward(commandLine_.paths, commandLine_.arguments) ? 0 : 1;
    }
    delegate_ = AppDelegate::create(services(application));
    // Before the first file can arrive, so that the launcher shows every run from its start.
    DockBadger::shared().setEnabled(true);
    const std::weak_ptr<AppDelegate> weak = delegate_;
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
    return application.exec();
}

} // namespace orlix
