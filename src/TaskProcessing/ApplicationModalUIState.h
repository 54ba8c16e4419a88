#pragma once

namespace orlix {

// Which modal dialogs of the application are up; another one may only appear when none is.
// Main thread only.
struct ApplicationModalUIState {
    bool openDialogVisible = false;
    bool settingsDialogVisible = false;
    bool askUserIfTheyWishToContinueQuittingDialogVisible = false;
    bool modalSparkleDialogVisible = false;

    bool modalDialogCanBeDisplayed() const {
        return !openDialogVisible && !settingsDialogVisible &&
               !askUserIfTheyWishToContinueQuittingDialogVisible && !modalSparkleDialogVisible;
    }
};

} // namespace orlix
