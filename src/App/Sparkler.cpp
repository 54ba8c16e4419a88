#include "App/Sparkler.h"

#include <iostream>

namespace orlix {

namespace {

void call(const std::function<void()>& callback) {
    if (callback) {
        callback();
    }
}

} // namespace

std::shared_ptr<Sparkler> Sparkler::create(std::shared_ptr<Updater> updater, Updater::Date now) {
    std::shared_ptr<Sparkler> sparkler(new Sparkler(std::move(updater), now));
    sparkler->updater_->setDelegate(sparkler);
    return sparkler;
}

Sparkler::Sparkler(std::shared_ptr<Updater> updater, Updater::Date now)
    : updater_(std::move(updater)) {
    sparkleUpdateCheckDue_ = isUpdateCheckDue(now);
}

bool Sparkler::isUpdateCheckDue(Updater::Date now) const {
    if (!updater_->automaticallyChecksForUpdates()) {
        return false;
    }
    const auto last = updater_->lastUpdateCheckDate();
    return !last || now - *last > updater_->updateCheckInterval();
}

void Sparkler::checkForUpdateInformation() {
    checkingForUpdateInformation_ = true;
    updater_->checkForUpdateInformation();
    checkingForUpdateInformation_ = false;
}

bool Sparkler::updaterMayCheckForUpdates() {
    if (checkingForUpdateInformation_) {
        return true;
    }
    return updaterMayCheckForUpdatesCallback && updaterMayCheckForUpdatesCallback();
}

void Sparkler::updaterDidFindValidUpdate() {
    call(updaterDidFindValidUpdateCallback);
}

void Sparkler::updaterWillShowModalAlert() {
    std::cout << "Sparkle will show modal alert" << std::endl;
    call(updaterWillShowModalDialogCallback);
}

void Sparkler::updaterDidShowModalAlert() {
    std::cout << "Sparkle did show modal alert" << std::endl;
    call(updaterDidShowModalDialogCallback);
}

} // namespace orlix
