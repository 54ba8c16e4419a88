#include "Helper/HelperBusService.h"

#include "Desktop/BusDaemonCall.h"
#include "Helper/HelperCommandLine.h"
#include "Helper/ServiceProvider.h"
#include "Shared/SharedDefinitions.h"

#include <QDBusMessage>
#include <QMetaObject>
#include <QObject>
#include <QStringList>

#include <utility>

#ifndef ORLIX_VERSION
#error "ORLIX_VERSION must name the program's version"
#endif

namespace orlix::helper {

namespace {

const QString kBusName = QString::fromLatin1(helperBundleIdentifier);

// Flags and reply codes of org.freedesktop.DBus.RequestName.
constexpr uint kAllowReplacement = 1;
constexpr uint kReplaceExisting = 2;
constexpr uint kDoNotQueue = 4;
constexpr uint kPrimaryOwner = 1;
constexpr uint kAlreadyOwner = 4;

std::vector<Url> filesOf(const QStringList& files) {
    std::vector<std::string> words;
    for (const QString& file : files) {
        words.push_back(file.toStdString());
    }
    // The caller's folder is unknown here: only absolute paths and file URIs name files.
    return HelperCommandLine::filesOf(words, {});
}

} // namespace

// The exported object. Its public slots are the bus methods.
class HelperEndpoint : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "co.corvendal.OrlixHelper")
    Q_PROPERTY(QString Version READ version CONSTANT)

public:
    HelperEndpoint(std::shared_ptr<ServiceProvider> provider, std::function<void()> quit)
        : provider_(std::move(provider))
        , quit_(std::move(quit)) {}

    QString version() const { return QStringLiteral(ORLIX_VERSION); }

public slots:
    bool quickOptimize(const QStringList& files) {
        return provider_->quickOptimize(filesOf(files));
    }
    bool resizeAndOptimize(const QStringList& files) {
        return provider_->resizeAndOptimize(filesOf(files));
    }
    bool usePreviousSettings(const QStringList& files) {
        return provider_->usePreviousSettings(filesOf(files));
    }
    // Answered first, then the helper quits.
    void Terminate() { quitLater(); }

private slots:
    void nameLost(const QString& name) {
        if (name == kBusName) {
            quitLater();
        }
    }

private:
    void quitLater() {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (quit_) {
                    quit_();
                }
            },
            Qt::QueuedConnection);
    }

    std::shared_ptr<ServiceProvider> provider_;
    std::function<void()> quit_;
};

HelperBusService::HelperBusService(QDBusConnection connection,
                                   std::shared_ptr<ServiceProvider> provider,
                                   std::function<void()> quit)
    : connection_(std::move(connection))
    , endpoint_(std::make_unique<HelperEndpoint>(std::move(provider), std::move(quit))) {}

HelperBusService::~HelperBusService() {
    if (ownsName_) {
        connection_.disconnect(QStringLiteral("org.freedesktop.DBus"),
                               QStringLiteral("/org/freedesktop/DBus"),
                               QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameLost"),
                               endpoint_.get(), SLOT(nameLost(QString)));
        auto release = busDaemonCall(QStringLiteral("ReleaseName"));
        release << kBusName;
        connection_.call(release, QDBus::Block, kCallTimeoutMilliseconds);
    }
    if (exported_) {
        connection_.unregisterObject(QString::fromLatin1(helperObjectPath));
    }
}

bool HelperBusService::claim() {
    if (!connection_.isConnected()) {
        return false;
    }
    // Exported before the name is taken, so that whoever finds the name finds the object.
    exported_ = connection_.registerObject(QString::fromLatin1(helperObjectPath), endpoint_.get(),
                                           QDBusConnection::ExportAllSlots |
                                               QDBusConnection::ExportAllProperties);
    if (!exported_) {
        return false;
    }
    connection_.connect(QStringLiteral("org.freedesktop.DBus"),
                        QStringLiteral("/org/freedesktop/DBus"),
                        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameLost"),
                        endpoint_.get(), SLOT(nameLost(QString)));
    auto request = busDaemonCall(QStringLiteral("RequestName"));
    request << kBusName << (kAllowReplacement | kReplaceExisting | kDoNotQueue);
    const auto reply = connection_.call(request, QDBus::Block, kCallTimeoutMilliseconds);
    const uint code = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
                          ? reply.arguments().constFirst().toUInt()
                          : 0;
    ownsName_ = code == kPrimaryOwner || code == kAlreadyOwner;
    return ownsName_;
}

} // namespace orlix::helper

#include "HelperBusService.moc"
