#include "Desktop/DBusApplicationInstance.h"

#include "Desktop/BusDaemonCall.h"
#include "Desktop/UserNotifier.h"
#include "Platform/Url.h"

#include <QDBusArgument>
#include <QDBusContext>
#include <QDBusMessage>
#include <QMetaObject>
#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <algorithm>
#include <limits>
#include <optional>
#include <thread>
#include <utility>

namespace orlix {

namespace {

const QString kServiceName = QStringLiteral("co.corvendal.Orlix");
const QString kObjectPath = QStringLiteral("/co/corvendal/Orlix");
const QString kApplicationInterface = QStringLiteral("org.freedesktop.Application");
const QString kArgumentsKey = QStringLiteral("orlix-arguments");
// When the sending launch stops waiting for the answer, in milliseconds since the Unix epoch.
const QString kDeadlineKey = QStringLiteral("orlix-deadline");
const QString kQuittingError = QStringLiteral("co.corvendal.Orlix.Error.Quitting");
const QString kExpiredError = QStringLiteral("co.corvendal.Orlix.Error.Expired");

// A request is void this long before its sender stops waiting, so that the answer to one carried
// out at the last moment still reaches the sender in time.
constexpr std::chrono::milliseconds kAnswerMargin{500};

// How often a later launch looks whether a quitting instance has gone.
constexpr std::chrono::milliseconds kReleasePollInterval{20};

// Reply codes of org.freedesktop.DBus.RequestName.
constexpr uint kPrimaryOwner = 1;
constexpr uint kAlreadyOwner = 4;
constexpr uint kDoNotQueue = 4;

int timeoutMilliseconds() {
    return static_cast<int>(DBusApplicationInstance::kCallTimeout.count());
}

using WallClock = std::chrono::system_clock;

// A call timeout that ends at `deadline`, in whole milliseconds, never less than one: Qt takes a
// timeout of 0 for its default.
int millisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(
        left.count(), 1, std::numeric_limits<int>::max()));
}

// The moment after which the sending launch no longer waits for a request; an older launch
// that sends none waits as long as it waits.
std::optional<WallClock::time_point> deadlineOf(const QVariantMap& platformData) {
    const QVariant value = platformData.value(kDeadlineKey);
    if (value.metaType() != QMetaType::fromType<qlonglong>()) {
        return std::nullopt;
    }
    return WallClock::time_point(std::chrono::milliseconds(value.toLongLong()));
}

// Inside a variant, an "as" usually arrives as a QStringList, but a sender may wrap it so that Qt
// hands over the raw argument instead. None when the value is something else.
std::optional<std::vector<std::string>> stringList(const QVariant& value) {
    QStringList list;
    if (value.metaType() == QMetaType::fromType<QStringList>()) {
        list = value.toStringList();
    } else if (value.metaType() == QMetaType::fromType<QDBusArgument>() &&
               value.value<QDBusArgument>().currentSignature() == QLatin1String("as")) {
        value.value<QDBusArgument>() >> list;
    } else {
        return std::nullopt;
    }
    std::vector<std::string> strings;
    strings.reserve(static_cast<std::size_t>(list.size()));
    for (const QString& string : list) {
        strings.push_back(string.toStdString());
    }
    return strings;
}

// The same for an "a{sv}", which Qt hands over raw inside a variant.
std::optional<QVariantMap> dictionary(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QVariantMap>()) {
        return value.toMap();
    }
    if (value.metaType() != QMetaType::fromType<QDBusArgument>() ||
        value.value<QDBusArgument>().currentSignature() != QLatin1String("a{sv}")) {
        return std::nullopt;
    }
    QVariantMap map;
    value.value<QDBusArgument>() >> map;
    return map;
}

// The target of the reveal action is the notification's user info; its result paths, or none
// when they are missing or of another type.
std::optional<std::vector<std::string>> resultPaths(const QVariantList& parameter) {
    if (parameter.size() != 1) {
        return std::nullopt;
    }
    const auto userInfo = dictionary(parameter.constFirst());
    const auto paths = userInfo ? userInfo->find(QString::fromLatin1(UserNotifier::resultPathsKey))
                                : QVariantMap::const_iterator();
    if (!userInfo || paths == userInfo->cend()) {
        return std::nullopt;
    }
    return stringList(*paths);
}

} // namespace

// The exported org.freedesktop.Application object.
class ApplicationEndpoint : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    ApplicationInstance::OpenHandler openHandler;
    ApplicationInstance::ActivateHandler activateHandler;
    ApplicationInstance::RevealHandler revealHandler;
    ApplicationInstance::QuittingCheck quittingCheck;

public slots:
    void Activate(const QVariantMap& platformData) {
        answerLater([this] { activate(); }, deadlineOf(platformData));
    }

    void Open(const QStringList& uris, const QVariantMap& platformData) {
        std::vector<std::string> paths;
        for (const QString& uri : uris) {
            // Files on another host are not ours to open, whatever the URI claims.
            const auto url = Url::parse(uri.toStdString());
            if (url && url->isFileUrl()) {
                paths.push_back(url->path().string());
            }
        }
        // Only a launch of Orlix sends its arguments; a file manager's "Open With" sends none.
        auto arguments =
            stringList(platformData.value(kArgumentsKey)).value_or(std::vector<std::string>());
        answerLater(
            [this, paths = std::move(paths), arguments = std::move(arguments)] {
                if (paths.empty()) {
                    activate();
                } else if (openHandler) {
                    openHandler(paths, arguments);
                }
            },
            deadlineOf(platformData));
    }

    // A click on a notification of Orlix's that the desktop kept (also once Orlix has gone, when
    // the bus starts Orlix for it) asks for its result files. Orlix has no other action; the
    // launcher may still ask, and gets the window.
    void ActivateAction(const QString& name, const QVariantList& parameter,
                        const QVariantMap& platformData) {
        Q_UNUSED(platformData);
        if (name != QLatin1String(UserNotifier::revealResultFilesAction)) {
            answerLater([this] { activate(); });
            return;
        }
        answerLater([this, paths = resultPaths(parameter)] {
            if (paths && revealHandler) {
                revealHandler(*paths);
            }
        });
    }

private:
    // A request is answered on a later turn of the loop, right before it is carried out: a
    // handler that opens a modal dialog would otherwise keep the forwarding launch waiting until
    // it times out. An instance that is quitting by then answers with an error and does nothing,
    // and so does one that reads a request after its deadline (it was stopped, or busy): the
    // launch that sent it has given up and runs the files itself.
    template <typename Block>
    void answerLater(Block block, std::optional<WallClock::time_point> deadline = std::nullopt) {
        setDelayedReply(true);
        auto answer = [this, call = message(), bus = connection(), block = std::move(block),
                       deadline] {
            const auto refusal = refusalOf(deadline);
            if (call.isReplyRequired()) {
                bus.send(refusal ? call.createErrorReply(refusal->first, refusal->second)
                                 : call.createReply());
            }
            if (!refusal) {
                block();
            }
        };
        QMetaObject::invokeMethod(this, std::move(answer), Qt::QueuedConnection);
    }

    // The error name and text of a request that is not carried out now, or nothing.
    std::optional<std::pair<QString, QString>>
    refusalOf(std::optional<WallClock::time_point> deadline) const {
        if (deadline && WallClock::now() >= *deadline) {
            return std::pair(kExpiredError, QStringLiteral("The launch has stopped waiting"));
        }
        if (quittingCheck && quittingCheck()) {
            return std::pair(kQuittingError, QStringLiteral("Orlix is quitting"));
        }
        return std::nullopt;
    }

    void activate() {
        if (activateHandler) {
            activateHandler();
        }
    }
};

DBusApplicationInstance::DBusApplicationInstance(QDBusConnection connection)
    : connection_(std::move(connection))
    , endpoint_(std::make_unique<ApplicationEndpoint>()) {}

DBusApplicationInstance::~DBusApplicationInstance() {
    if (ownsName_) {
        // Waited for, so that a successor started right after us finds the name free.
        auto release = busDaemonCall(QStringLiteral("ReleaseName"));
        release << kServiceName;
        connection_.call(release, QDBus::Block, timeoutMilliseconds());
    }
    if (exported_) {
        connection_.unregisterObject(kObjectPath);
    }
}

bool DBusApplicationInstance::claim() {
    if (!connection_.isConnected()) {
        return true;
    }
    // Exported before the name is taken, so that a launch that finds the name finds the object.
    if (!exported_) {
        exported_ = connection_.registerObject(kObjectPath, endpoint_.get(),
                                               QDBusConnection::ExportAllSlots);
        if (!exported_) {
            // Another instance in this process already serves this connection.
            return false;
        }
    }
    auto request = busDaemonCall(QStringLiteral("RequestName"));
    request << kServiceName << kDoNotQueue;
    const QDBusMessage reply = connection_.call(request, QDBus::Block, timeoutMilliseconds());
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        // A bus that cannot answer cannot forward either; running alone beats not running.
        connection_.unregisterObject(kObjectPath);
        exported_ = false;
        return true;
    }
    const uint code = reply.arguments().constFirst().toUInt();
    ownsName_ = code == kPrimaryOwner || code == kAlreadyOwner;
    if (!ownsName_) {
        connection_.unregisterObject(kObjectPath);
        exported_ = false;
    }
    return ownsName_;
}

void DBusApplicationInstance::setOpenHandler(OpenHandler handler) {
    endpoint_->openHandler = std::move(handler);
}

void DBusApplicationInstance::setActivateHandler(ActivateHandler handler) {
    endpoint_->activateHandler = std::move(handler);
}

void DBusApplicationInstance::setRevealResultFilesHandler(RevealHandler handler) {
    endpoint_->revealHandler = std::move(handler);
}

void DBusApplicationInstance::setQuittingCheck(QuittingCheck check) {
    endpoint_->quittingCheck = std::move(check);
}

bool DBusApplicationInstance::forward(const std::vector<std::string>& paths,
                                      const std::vector<std::string>& arguments,
                                      WallClock::time_point deadline) {
    // Measured on the steady clock here, so that a change of the wall clock cannot stretch it.
    const auto answerBy = std::chrono::steady_clock::now() + (deadline - WallClock::now());
    if (!connection_.isConnected() || deadline <= WallClock::now()) {
        return false;
    }
    auto message = QDBusMessage::createMethodCall(kServiceName, kObjectPath, kApplicationInterface,
                                                  paths.empty() ? QStringLiteral("Activate")
                                                                : QStringLiteral("Open"));
    // The instance we saw may just have quit; the bus must not start another one behind our back,
    // since this launch then runs on its own.
    message.setAutoStartService(false);
    QVariantMap platformData;
    platformData.insert(kDeadlineKey, QVariant::fromValue<qlonglong>(
                                          std::chrono::duration_cast<std::chrono::milliseconds>(
                                              (deadline - kAnswerMargin).time_since_epoch())
                                              .count()));
    if (!paths.empty()) {
        QStringList uris;
        for (const auto& path : paths) {
            uris.append(QString::fromStdString(Url::fileUrl(path).absoluteString()));
        }
        QStringList forwardedArguments;
        for (const auto& argument : arguments) {
            forwardedArguments.append(QString::fromStdString(argument));
        }
        platformData.insert(kArgumentsKey, forwardedArguments);
        message << uris;
    }
    message << platformData;
    const QDBusMessage reply = connection_.call(message, QDBus::Block, millisecondsUntil(answerBy));
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool DBusApplicationInstance::waitUntilReleased(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (nameHasOwner(deadline)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kReleasePollInterval);
    }
    return true;
}

bool DBusApplicationInstance::nameHasOwner(std::chrono::steady_clock::time_point answerBy) {
    // A bus that cannot answer holds nobody back.
    return busNameHasOwner(connection_, kServiceName,
                           std::min(timeoutMilliseconds(), millisecondsUntil(answerBy)));
}

} // namespace orlix

#include "DBusApplicationInstance.moc"
