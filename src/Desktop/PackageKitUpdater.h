#pragma once

#include "Desktop/PackageKitTransaction.h"
#include "Desktop/PackagedUpdater.h"
#include "Desktop/UpdateAlerts.h"

#include <QDBusConnection>
#include <QObject>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace orlix {

// Updates through PackageKit on the system bus: the package that installed the program is looked
// up once, in the background, and the checks ask whether it has an update. Until that package
// is known, and for good when PackageKit is absent or knows no package of the program, this is
// the packaged updater: it finds nothing and keeps its menu item disabled. A check that runs
// disables the item too. Never downloads anything itself. Main thread only.
class PackageKitUpdater final : public PackagedUpdater {
public:
    struct Timeouts {
        std::chrono::milliseconds lookUp;
        std::chrono::milliseconds check;
    };
    // The look-up may have to wait for PackageKit to start.
    static constexpr Timeouts kDefaultTimeouts{std::chrono::seconds(60), std::chrono::seconds(30)};

    enum class Source { lookingUp, package, none };

    // Starts looking up the package that installed `programPath`. The look-up and every check
    // end within their timeouts, whatever PackageKit does.
    PackageKitUpdater(QDBusConnection systemBus, std::string programPath,
                      std::shared_ptr<UpdateAlerts> alerts, Timeouts timeouts = kDefaultTimeouts);

    void setDelegate(std::weak_ptr<UpdaterDelegate> delegate) override;
    void checkForUpdatesInBackground() override;
    void checkForUpdateInformation() override;
    void checkForUpdates() override;
    bool validateMenuItem() const override;
    ObservableProperty<bool>::Token
    observeMenuItemValidation(ObservableProperty<bool>::Observer changed) override;

    Source source() const { return source_; }

private:
    // In the order of what the user sees: a later kind wins over an earlier one.
    enum class Check { information, background, userAsked };
    struct PackageId {
        std::string name;
        std::string version;
    };

    void lookUpPackage();
    void lookedUp(const PackageKitTransaction::Result& result);
    void check(Check kind);
    void startCheck(Check kind);
    void checked(Check kind, const PackageKitTransaction::Result& result);
    std::optional<PackageId> updateIn(const PackageKitTransaction::Result& result) const;
    static std::optional<PackageId> packageId(const QString& id);
    void failed(Check kind, const QString& error);
    void showModalAlert(const std::function<void(UpdateAlerts&)>& alert);
    void setChecking(bool checking);

    QDBusConnection systemBus_;
    std::string programPath_;
    std::shared_ptr<UpdateAlerts> alerts_;
    Timeouts timeouts_;
    std::weak_ptr<UpdaterDelegate> delegate_;
    Source source_ = Source::lookingUp;
    std::optional<PackageId> package_;
    // A check asked for while the package was still being looked up.
    std::optional<Check> pending_;
    bool checking_ = false;
    ObservableProperty<bool> menuItemValid_{false};
    // The parent of the running transactions: they end, unreported, with the updater.
    QObject transactions_;
};

} // namespace orlix
