#pragma once

#include "Platform/ObservableProperty.h"

namespace orlix {

// Which modal dialogs of the application are up; another one may only appear when none is.
// Every setter notifies the observers of modalDialogCanBeDisplayed, as the controls that follow
// it (the check-for-updates item and its key) need. Main thread only.
class ApplicationModalUIState {
public:
    bool openDialogVisible() const { return openDialogVisible_; }
    bool settingsDialogVisible() const { return settingsDialogVisible_; }
    bool askUserIfTheyWishToContinueQuittingDialogVisible() const {
        return askUserIfTheyWishToContinueQuittingDialogVisible_;
    }
    bool modalSparkleDialogVisible() const { return modalSparkleDialogVisible_; }

    void setOpenDialogVisible(bool visible) { set(openDialogVisible_, visible); }
    void setSettingsDialogVisible(bool visible) { set(settingsDialogVisible_, visible); }
    void setAskUserIfTheyWishToContinueQuittingDialogVisible(bool visible) {
        set(askUserIfTheyWishToContinueQuittingDialogVisible_, visible);
    }
    void setModalSparkleDialogVisible(bool visible) { set(modalSparkleDialogVisible_, visible); }

    bool modalDialogCanBeDisplayed() const { return canBeDisplayed_.get(); }
    [[nodiscard]] ObservableProperty<bool>::Token
    observeModalDialogCanBeDisplayed(ObservableProperty<bool>::Observer observer) {
        return canBeDisplayed_.observe(std::move(observer));
    }

private:
    void set(bool& flag, bool visible) {
        flag = visible;
        canBeDisplayed_.set(!openDialogVisible_ && !settingsDialogVisible_ &&
                            !askUserIfTheyWishToContinueQuittingDialogVisible_ &&
                            !modalSparkleDialogVisible_);
    }

    bool openDialogVisible_ = false;
    bool settingsDialogVisible_ = false;
    bool askUserIfTheyWishToContinueQuittingDialogVisible_ = false;
    bool modalSparkleDialogVisible_ = false;
    ObservableProperty<bool> canBeDisplayed_{true};
};

} // namespace orlix
