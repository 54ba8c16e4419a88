#pragma once

#include "Desktop/Updater.h"

#include <functional>
#include <memory>

namespace orlix {

// The updater's delegate: answers its questions and forwards its events to the application's
// callbacks. Whether a check is due is decided once, when it is made. Main thread only.
class Sparkler final : public UpdaterDelegate, public std::enable_shared_from_this<Sparkler> {
public:
    // Becomes the updater's delegate. `now` is the wall clock the due check measures against.
    static std::shared_ptr<Sparkler> create(std::shared_ptr<Updater> updater,
                                            Updater::Date now = std::chrono::system_clock::now());

    std::function<bool()> updaterMayCheckForUpdatesCallback;
    std::function<void()> updaterDidFindValidUpdateCallback;
    std::function<void()> updaterWillShowModalDialogCallback;
    std::function<void()> updaterDidShowModalDialogCallback;

    bool sparkleUpdateCheckDue() const { return sparkleUpdateCheckDue_; }
    // Asks only whether an update exists; allowed although the may-check callback would refuse.
    void checkForUpdateInformation();
    const std::shared_ptr<Updater>& updater() const { return updater_; }

    bool updaterMayCheckForUpdates() override;
    bool updaterShouldPromptForPermissionToCheckForUpdates() override { return false; }
    void updaterDidFindValidUpdate() override;
    void updaterWillShowModalAlert() override;
    void updaterDidShowModalAlert() override;

private:
    Sparkler(std::shared_ptr<Updater> updater, Updater::Date now);
    bool isUpdateCheckDue(Updater::Date now) const;

    std::shared_ptr<Updater> updater_;
    bool sparkleUpdateCheckDue_ = false;
    bool checkingForUpdateInformation_ = false;
};

} // namespace orlix
