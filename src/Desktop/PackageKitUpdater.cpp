#include "Desktop/PackageKitUpdater.h"

#include <QStringList>

#include <algorithm>
#include <iostream>

namespace orlix {

PackageKitUpdater::PackageKitUpdater(QDBusConnection systemBus, std::string programPath,
                                     std::shared_ptr<UpdateAlerts> alerts, Timeouts timeouts)
    : systemBus_(std::move(systemBus))
    , programPath_(std::move(programPath))
    , alerts_(std::move(alerts))
    , timeouts_(timeouts) {
    lookUpPackage();
}

void PackageKitUpdater::setDelegate(std::weak_ptr<UpdaterDelegate> delegate) {
    delegate_ = std::move(delegate);
}

void PackageKitUpdater::checkForUpdatesInBackground() {
    check(Check::background);
}

void PackageKitUpdater::checkForUpdateInformation() {
    check(Check::information);
}

void PackageKitUpdater::checkForUpdates() {
    check(Check::userAsked);
}

bool PackageKitUpdater::validateMenuItem() const {
    return source_ == Source::package && !checking_;
}

ObservableProperty<bool>::Token
PackageKitUpdater::observeMenuItemValidation(ObservableProperty<bool>::Observer changed) {
    return menuItemValid_.observe(std::move(changed));
}

void PackageKitUpdater::lookUpPackage() {
    const QVariantList arguments{QVariant::fromValue(PackageKitTransaction::kFilterInstalled),
                                 QStringList{QString::fromStdString(programPath_)}};
    PackageKitTransaction::start(
        systemBus_, QStringLiteral("SearchFiles"), arguments, timeouts_.lookUp,
        [this](const PackageKitTransaction::Result& result) { lookedUp(result); }, &transactions_);
}

void PackageKitUpdater::lookedUp(const PackageKitTransaction::Result& result) {
    for (const auto& package : result.packages) {
        if (package.info == PackageKitTransaction::kInfoInstalled && !package_) {
            package_ = packageId(package.id);
        }
    }
    if (!result.error.isEmpty()) {
        package_.reset();
    }
    source_ = package_ ? Source::package : Source::none;
    menuItemValid_.set(validateMenuItem());
    const auto pending = std::exchange(pending_, std::nullopt);
    if (package_ && pending) {
        startCheck(*pending);
    }
}

// The delegate is asked at once, inside the call, as the application expects; what it allowed
// runs once the package is known.
void PackageKitUpdater::check(Check kind) {
    const auto delegate = delegate_.lock();
    if (!delegate || !delegate->updaterMayCheckForUpdates() || checking_) {
        return;
    }
    if (source_ == Source::lookingUp) {
        pending_ = std::max(pending_.value_or(kind), kind);
    } else if (source_ == Source::package) {
        startCheck(kind);
    }
}

void PackageKitUpdater::startCheck(Check kind) {
    setChecking(true);
    PackageKitTransaction::start(
        systemBus_, QStringLiteral("GetUpdates"),
        {QVariant::fromValue(PackageKitTransaction::kFilterNone)}, timeouts_.check,
        [this, kind](const PackageKitTransaction::Result& result) { checked(kind, result); },
        &transactions_);
}

void PackageKitUpdater::checked(Check kind, const PackageKitTransaction::Result& result) {
    setChecking(false);
    if (!result.error.isEmpty()) {
        failed(kind, result.error);
        return;
    }
    // A check that only looked offered nothing: the next launch that may offer still checks.
    if (kind != Check::information) {
        setLastUpdateCheckDate(std::chrono::system_clock::now());
    }
    const auto update = updateIn(result);
    if (!update) {
        if (kind == Check::userAsked) {
            showModalAlert([&](UpdateAlerts& alerts) { alerts.reportNoUpdate(package_->version); });
        }
        return;
    }
    if (const auto delegate = delegate_.lock()) {
        delegate->updaterDidFindValidUpdate();
    }
    if (kind != Check::information) {
        showModalAlert([&](UpdateAlerts& alerts) {
            alerts.offerUpdate({package_->name, package_->version, update->version});
        });
    }
}

// An update that cannot be installed (PackageKit says blocked) is not offered.
std::optional<PackageKitUpdater::PackageId>
PackageKitUpdater::updateIn(const PackageKitTransaction::Result& result) const {
    for (const auto& package : result.packages) {
        const auto id = packageId(package.id);
        if (id && id->name == package_->name &&
            package.info != PackageKitTransaction::kInfoBlocked) {
            return id;
        }
    }
    return std::nullopt;
}

// PackageKit names a package "name;version;arch;data".
std::optional<PackageKitUpdater::PackageId> PackageKitUpdater::packageId(const QString& id) {
    const auto fields = id.split(u';');
    if (fields.size() != 4 || fields[0].isEmpty()) {
        return std::nullopt;
    }
    return PackageId{fields[0].toStdString(), fields[1].toStdString()};
}

// Only the user who asked hears of a failure; a check in the background fails quietly.
void PackageKitUpdater::failed(Check kind, const QString& error) {
    if (kind == Check::userAsked) {
        showModalAlert(
            [&](UpdateAlerts& alerts) { alerts.reportCheckFailed(error.toStdString()); });
    } else {
        std::cerr << "Orlix: the update check failed: " << error.toStdString() << std::endl;
    }
}

void PackageKitUpdater::showModalAlert(const std::function<void(UpdateAlerts&)>& alert) {
    if (!alerts_) {
        return;
    }
    const auto delegate = delegate_.lock();
    if (delegate) {
        delegate->updaterWillShowModalAlert();
    }
    alert(*alerts_);
    if (delegate) {
        delegate->updaterDidShowModalAlert();
    }
}

void PackageKitUpdater::setChecking(bool checking) {
    checking_ = checking;
    menuItemValid_.set(validateMenuItem());
}

} // namespace orlix
