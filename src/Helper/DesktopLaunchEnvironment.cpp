#include "Helper/DesktopLaunchEnvironment.h"

#include "Desktop/BusDaemonCall.h"
#include <QDBusMessage>
#include <QProcess>
#include <QStringList>
#include <QVariantMap>

#include <cstdlib>
#include <utility>

namespace orlix::helper {

namespace {

int timeoutMilliseconds() {
    return static_cast<int>(DesktopLaunchEnvironment::kCallTimeout.count());
}

// The object path of a bus name by the usual convention: co.corvendal.Orlix serves
// /co/corvendal/Orlix.
QString objectPathOf(const QString& busName) {
    return QLatin1Char('/') + QString(busName).replace(QLatin1Char('.'), QLatin1Char('/'));
}

// A file manager that runs the helper hands it the token of the user's click; passed on, it lets
// the desktop give the main application the focus despite focus-stealing prevention.
QVariantMap activationPlatformData() {
    QVariantMap data;
    if (const char* token = std::getenv("XDG_ACTIVATION_TOKEN")) {
        data.insert(QStringLiteral("activation-token"), QString::fromUtf8(token));
    }
    if (const char* startupId = std::getenv("DESKTOP_STARTUP_ID")) {
        data.insert(QStringLiteral("desktop-startup-id"), QString::fromUtf8(startupId));
    }
    return data;
}

} // namespace

DesktopLaunchEnvironment::DesktopLaunchEnvironment(QDBusConnection connection,
                                                   std::vector<std::filesystem::path> candidates)
    : connection_(std::move(connection))
    , center_(connection_)
    , candidates_(std::move(candidates)) {}

bool DesktopLaunchEnvironment::isRunning(const std::string& bundleIdentifier) {
    return busNameHasOwner(connection_, QString::fromStdString(bundleIdentifier),
                           timeoutMilliseconds());
}

void DesktopLaunchEnvironment::activate(const std::string& bundleIdentifier) {
    const auto name = QString::fromStdString(bundleIdentifier);
    auto message = QDBusMessage::createMethodCall(name, objectPathOf(name),
                                                  QStringLiteral("org.freedesktop.Application"),
                                                  QStringLiteral("Activate"));
    // An application that quit meanwhile must not be started by the bus behind our back.
    message.setAutoStartService(false);
    message << activationPlatformData();
    // Waited for, so that the application has seen it before the files arrive; its answer does
    // not matter.
    connection_.call(message, QDBus::Block, timeoutMilliseconds());
}

DistributedNotificationCenter& DesktopLaunchEnvironment::distributedCenter() {
    return center_;
}

std::vector<std::filesystem::path> DesktopLaunchEnvironment::candidatePrograms() const {
    return candidates_;
}

bool DesktopLaunchEnvironment::start(const std::filesystem::path& program,
                                     const std::vector<std::string>& arguments) {
    QStringList list;
    for (const auto& argument : arguments) {
        list.append(QString::fromStdString(argument));
    }
    return QProcess::startDetached(QString::fromStdString(program.string()), list);
}

void DesktopLaunchEnvironment::flush() {
    if (connection_.isConnected()) {
        // The bus answers in order: its reply means that every earlier message has reached it.
        connection_.call(busDaemonCall(QStringLiteral("GetId")), QDBus::Block,
                         timeoutMilliseconds());
    }
}

} // namespace orlix::helper
