#include "Desktop/BusRunningApplications.h"

#include "Desktop/BusDaemonCall.h"
#include "Shared/SharedDefinitions.h"

#include <QDBusMessage>
#include <QDBusVariant>

#include <csignal>
#include <cstring>
#include <thread>

namespace orlix {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);

bool isHelperIdentifier(const std::string& identifier) {
    return identifier == loginItemBundleIdentifier || identifier == helperBundleIdentifier;
}

} // namespace

std::optional<QVariant> BusRunningApplications::busAnswer(const QString& method,
                                                          const QString& name) const {
    auto question = busDaemonCall(method);
    question << name;
    const auto reply = connection_.call(question, QDBus::Block, kCallTimeoutMilliseconds);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return std::nullopt;
    }
    return reply.arguments().constFirst();
}

std::vector<RunningApplication>
BusRunningApplications::runningApplications(const std::string& bundleIdentifier) {
    if (!connection_.isConnected() || !isHelperIdentifier(bundleIdentifier)) {
        return {};
    }
    const auto owner =
        busAnswer(QStringLiteral("GetNameOwner"), QString::fromLatin1(helperBundleIdentifier));
    if (!owner) {
        return {};
    }
    RunningApplication copy;
    copy.connectionName = owner->toString().toStdString();
    const auto pid = busAnswer(QStringLiteral("GetConnectionUnixProcessID"), owner->toString());
    copy.processIdentifier = pid ? static_cast<pid_t>(pid->toUInt()) : 0;
    copy.bundleOpens = copy.processIdentifier > 0 && programOpens(copy.processIdentifier);
    copy.bundleVersion = versionOf(owner->toString());
    return {copy};
}

std::optional<std::string> BusRunningApplications::versionOf(const QString& connectionName) const {
    auto question = QDBusMessage::createMethodCall(
        connectionName, QString::fromLatin1(helperObjectPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    question << QString::fromLatin1(helperInterface) << QStringLiteral("Version");
    const auto reply = connection_.call(question, QDBus::Block, kCallTimeoutMilliseconds);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return std::nullopt;
    }
    const auto value = reply.arguments().constFirst().value<QDBusVariant>().variant();
    if (value.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return value.toString().toStdString();
}

bool BusRunningApplications::programOpens(pid_t processIdentifier) {
    std::error_code error;
    const auto program =
        std::filesystem::read_symlink("/proc/" + std::to_string(processIdentifier) + "/exe", error);
    return !error && !program.string().ends_with(" (deleted)");
}

void BusRunningApplications::terminate(const RunningApplication& application) {
    const auto name = QString::fromStdString(application.connectionName);
    auto request = QDBusMessage::createMethodCall(name, QString::fromLatin1(helperObjectPath),
                                                  QString::fromLatin1(helperInterface),
                                                  QStringLiteral("Terminate"));
    connection_.call(request, QDBus::Block, kCallTimeoutMilliseconds);
    if (waitUntilGone(name) || application.processIdentifier <= 0) {
        return;
    }
    ::kill(application.processIdentifier, SIGTERM);
    waitUntilGone(name);
}

bool BusRunningApplications::hasOwner(const QString& name) const {
    const auto answer = busAnswer(QStringLiteral("NameHasOwner"), name);
    return answer && answer->toBool();
}

// A copy has gone when its connection has: it closes with the process.
bool BusRunningApplications::waitUntilGone(const QString& connectionName) const {
    const auto deadline = std::chrono::steady_clock::now() + kExitWait;
    while (hasOwner(connectionName)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

} // namespace orlix
