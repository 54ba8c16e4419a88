#include "Desktop/DBusDistributedNotificationCenter.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <optional>
#include <utility>

namespace orlix {

namespace {

const QString kObjectPath = QStringLiteral("/co/corvendal/Orlix");
const QString kInterface = QStringLiteral("co.corvendal.Orlix.DistributedNotifications");
const char* const kReceiveSlot = SLOT(receive(QDBusMessage));

// Another program may post anything under a name we listen to: only well-formed user info reaches
// the observers, without the values that are not lists of text.
std::optional<DistributedNotificationCenter::UserInfo> userInfoOf(const QDBusMessage& message) {
    if (message.signature() != QLatin1String("a{sv}")) {
        return std::nullopt;
    }
    const auto argument = message.arguments().constFirst().value<QDBusArgument>();
    DistributedNotificationCenter::UserInfo userInfo;
    argument.beginMap();
    while (!argument.atEnd()) {
        QString key;
        QDBusVariant value;
        argument.beginMapEntry();
        argument >> key >> value;
        argument.endMapEntry();
        if (value.variant().metaType() != QMetaType::fromType<QStringList>()) {
            continue;
        }
        std::vector<std::string> strings;
        for (const QString& string : value.variant().toStringList()) {
            strings.push_back(string.toStdString());
        }
        userInfo[key.toStdString()] = std::move(strings);
    }
    argument.endMap();
    return userInfo;
}

} // namespace

// Lives on the thread that added the observer, where the signals are delivered.
class DistributedNotificationReceiver : public QObject {
    Q_OBJECT

public:
    explicit DistributedNotificationReceiver(DistributedNotificationCenter::Block block)
        : block_(std::move(block)) {}

public slots:
    void receive(const QDBusMessage& message) {
        if (const auto userInfo = userInfoOf(message); userInfo && block_) {
            block_(*userInfo);
        }
    }

private:
    DistributedNotificationCenter::Block block_;
};

namespace {

class DBusObservation final : public DistributedNotificationCenter::Observation {
public:
    DBusObservation(QDBusConnection connection, QString name,
                    DistributedNotificationCenter::Block block)
        : connection_(std::move(connection))
        , name_(std::move(name))
        , receiver_(std::move(block)) {
        connected_ =
            connection_.isConnected() && connection_.connect(QString(), kObjectPath, kInterface,
                                                             name_, &receiver_, kReceiveSlot);
    }

    ~DBusObservation() override {
        if (connected_) {
            connection_.disconnect(QString(), kObjectPath, kInterface, name_, &receiver_,
                                   kReceiveSlot);
        }
    }

    DBusObservation(const DBusObservation&) = delete;
    DBusObservation& operator=(const DBusObservation&) = delete;

private:
    QDBusConnection connection_;
    QString name_;
    DistributedNotificationReceiver receiver_;
    bool connected_ = false;
};

} // namespace

DBusDistributedNotificationCenter::DBusDistributedNotificationCenter(QDBusConnection connection)
    : connection_(std::move(connection)) {}

std::unique_ptr<DistributedNotificationCenter::Observation>
DBusDistributedNotificationCenter::addObserver(const std::string& name, Block block) {
    return std::make_unique<DBusObservation>(connection_, QString::fromStdString(name),
                                             std::move(block));
}

void DBusDistributedNotificationCenter::post(const std::string& name, const UserInfo& userInfo) {
    if (!connection_.isConnected()) {
        return;
    }
    QVariantMap map;
    for (const auto& [key, strings] : userInfo) {
        QStringList list;
        for (const auto& string : strings) {
            list.append(QString::fromStdString(string));
        }
        map.insert(QString::fromStdString(key), list);
    }
    auto signal = QDBusMessage::createSignal(kObjectPath, kInterface, QString::fromStdString(name));
    signal << map;
    connection_.send(signal);
}

} // namespace orlix

#include "DBusDistributedNotificationCenter.moc"
