#pragma once

#include "Platform/Url.h"

#include <functional>
#include <vector>

namespace orlix {

// The standard interface as the application delegate drives it: the drop window, made once and
// kept, shown and faded by the delegate's rules. The program realises it on Qt; tests fake it.
class StandardWindows {
public:
    struct Callbacks {
        std::function<void(const std::vector<Url>&)> quickOptimize;
        std::function<void(const std::vector<Url>&)> resizeAndOptimize;
        std::function<void(const std::vector<Url>&)> usePreviousSettings;
        std::function<void()> quickOptimizeClicked;
        std::function<void()> resizeAndOptimizeClicked;
        std::function<void()> usePreviousSettingsClicked;
    };

    virtual ~StandardWindows() = default;
    virtual bool hasOperationsWindow() const = 0;
    virtual void createOperationsWindow(Callbacks callbacks) = 0;
    // The user put Orlix's windows away (the drop window is minimised).
    virtual bool isApplicationHidden() const = 0;
    // Sets the windows' opacity at once.
    virtual void setAlpha(double alpha) = 0;
    // Shows the drop window in front and gives it the keyboard, without taking the activation
    // from another application.
    virtual void makeKeyAndOrderFront() = 0;
    // Fades the windows to `alpha` in the standard time; `completion` runs at the end. A window
    // faded out no longer takes clicks.
    virtual void animateAlpha(double alpha, std::function<void()> completion) = 0;
    // Brings Orlix to the front: the user asked for it.
    virtual void activate() = 0;
};

} // namespace orlix
