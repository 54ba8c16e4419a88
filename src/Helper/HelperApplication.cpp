#include "Helper/HelperApplication.h"

#include "Desktop/QtMainExecutor.h"
#include "Desktop/QuitSignalNotifier.h"
#include "Helper/AppDelegate.h"
#include "Helper/DesktopLaunchEnvironment.h"
#include "Helper/FloatingWindow.h"
#include "Helper/HelperBusService.h"
#include "Helper/MainProgramLocator.h"
#include "Helper/X11DragEventSource.h"
#include "Platform/MainQueue.h"
#include "Platform/UserDefaults.h"
#include "Shared/SharedDefinitions.h"

#include <QApplication>
#include <QDBusConnection>
#include <QTimer>

#include <cstdlib>
#include <cstring>

namespace orlix::helper {

namespace {

std::shared_ptr<DesktopLaunchEnvironment> desktopEnvironment() {
    return std::make_shared<DesktopLaunchEnvironment>(
        QDBusConnection::sessionBus(),
        MainProgramLocator::candidates(MainProgramLocator::ownProgram()));
}

} // namespace

HelperApplication::HelperApplication() = default;

FloaterFactory HelperApplication::floaterFactory() const {
    return [environment = environment_](ScreenRect contentRect, ScreenPoint mouseLocation,
                                        std::function<void()> dragEnded) {
        return std::make_unique<FloatingWindow>(contentRect, mouseLocation, std::move(dragEnded),
                                                environment);
    };
}

HelperApplication::~HelperApplication() {
    delegate_.reset();
    busService_.reset();
    if (executor_) {
        MainQueue::setExecutor(nullptr);
        executor_->close();
    }
}

bool HelperApplication::isWaylandSession() {
    const char* sessionType = std::getenv("XDG_SESSION_TYPE");
    const char* waylandDisplay = std::getenv("WAYLAND_DISPLAY");
    return (sessionType && std::strcmp(sessionType, "wayland") == 0) ||
           (waylandDisplay && *waylandDisplay);
}

int HelperApplication::runService(const HelperCommandLine& commandLine) {
    environment_ = desktopEnvironment();
    const bool handedOver =
        ServiceProvider(environment_).perform(commandLine.serviceEntry, commandLine.files);
    environment_->flush();
    return handedOver ? 0 : 1;
}

// A helper whose session bus has gone belongs to a session that has ended.
void HelperApplication::endWithTheSessionBus(QApplication& application) {
    if (!QDBusConnection::sessionBus().isConnected()) {
        return;
    }
    auto* check = new QTimer(&application);
    QObject::connect(check, &QTimer::timeout, &application, [&application] {
        if (!QDBusConnection::sessionBus().isConnected()) {
            application.quit();
        }
    });
    check->start(kSessionBusCheckInterval);
}

int HelperApplication::runInBackground(QApplication& application) {
    application.setQuitOnLastWindowClosed(false);
    executor_ = std::make_shared<QtMainExecutor>();
    MainQueue::setExecutor(executor_);
    environment_ = desktopEnvironment();
    const auto quit = [&application] { application.quit(); };
    // Watched before the name is claimed: a bus that ends while the claim is under way would
    // otherwise be taken for no bus at all, and the helper would outlive its session.
    endWithTheSessionBus(application);
    busService_ = std::make_unique<HelperBusService>(
        QDBusConnection::sessionBus(), std::make_shared<ServiceProvider>(environment_), quit);
    // Without a session bus the helper still serves drags; with one, another helper that keeps
    // its name is the one that runs.
    if (QDBusConnection::sessionBus().isConnected() && !busService_->claim()) {
        return 1;
    }
    QuitSignalNotifier::install(&application, [quit](int) { quit(); });
    delegate_ =
        AppDelegate::create({isWaylandSession() ? nullptr : X11DragEventSource::open(),
                             UserDefaults::suite(helperBundleIdentifier), floaterFactory()});
    QObject::connect(&application, &QCoreApplication::aboutToQuit,
                     [this] { delegate_->applicationWillTerminate(); });
    delegate_->applicationDidFinishLaunching();
    return application.exec();
}

} // namespace orlix::helper
