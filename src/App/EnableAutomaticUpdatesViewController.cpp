#include "App/EnableAutomaticUpdatesViewController.h"

#include "Desktop/Updater.h"
#include "Platform/Localization.h"
#include "Platform/UserDefaults.h"
#include "Shared/SharedDefinitions.h"
#include "UI/Common/MessageQuestionView.h"

namespace orlix {

namespace {

QString text(const char* value, const char* comment) {
    return QString::fromStdString(localized(value, comment));
}

} // namespace

EnableAutomaticUpdatesViewController::EnableAutomaticUpdatesViewController(
    std::shared_ptr<Updater> updater)
    : updater_(std::move(updater)) {
    view_ = new MessageQuestionView(
        {text("Check for updates automatically?", "Automatic updates message - title"),
         text("Orlix can look for a newer version by itself from time to time.",
              "Automatic updates message - explanation"),
         text("Don't Check", "Automatic updates message - button"),
         text("Check Automatically", "Automatic updates message - button")},
        nullptr, [this] { doDontCheck(); }, [this] { doCheckAutomatically(); });
}

EnableAutomaticUpdatesViewController::~EnableAutomaticUpdatesViewController() {
    delete view_.data();
}

QWidget* EnableAutomaticUpdatesViewController::view() const {
    return view_;
}

void EnableAutomaticUpdatesViewController::choose(bool automaticChecks) {
    storeAutomaticUpdatesChoice(automaticChecks);
    if (const auto dismiss = dismisser) {
        dismiss();
    }
}

void EnableAutomaticUpdatesViewController::storeAutomaticUpdatesChoice(bool automaticChecks) {
    // Asked once, whatever the answer.
    UserDefaults::standardUserDefaults()->setObject(
        PropertyList(true), displayedEnableAutomaticUpdatesMessageDefaultsKey);
    if (updater_) {
        updater_->setAutomaticallyChecksForUpdates(automaticChecks);
    }
}

} // namespace orlix
