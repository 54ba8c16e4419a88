#include "App/QtStandardWindows.h"

#include "UI/Common/OpacityFader.h"
#include "UI/Common/WindowPresentation.h"
#include "UI/DropWindow/OperationsWindow.h"
#include "UI/DropWindow/OperationsWindowController.h"

#include <utility>

namespace orlix {

QtStandardWindows::QtStandardWindows(std::function<void(QWidget*)> attachMenu,
                                     std::function<bool()> closeRequested)
    : attachMenu_(std::move(attachMenu))
    , closeRequested_(std::move(closeRequested)) {}

QtStandardWindows::~QtStandardWindows() = default;

bool QtStandardWindows::hasOperationsWindow() const {
    return controller_ != nullptr;
}

void QtStandardWindows::createOperationsWindow(Callbacks callbacks) {
    controller_ = std::make_unique<OperationsWindowController>();
    controller_->quickOptimizeCallback = std::move(callbacks.quickOptimize);
    controller_->resizeAndOptimizeCallback = std::move(callbacks.resizeAndOptimize);
    controller_->usePreviousSettingsCallback = std::move(callbacks.usePreviousSettings);
    controller_->quickOptimizeClickedCallback = std::move(callbacks.quickOptimizeClicked);
    controller_->resizeAndOptimizeClickedCallback = std::move(callbacks.resizeAndOptimizeClicked);
    controller_->usePreviousSettingsClickedCallback =
        std::move(callbacks.usePreviousSettingsClicked);
    controller_->window()->closeRequestedCallback = closeRequested_;
    if (attachMenu_) {
        attachMenu_(controller_->window());
    }
}

bool QtStandardWindows::isApplicationHidden() const {
    return controller_ && controller_->window()->isMinimized();
}

void QtStandardWindows::setAlpha(double alpha) {
    if (controller_) {
        OpacityFader::set(controller_->window(), alpha);
    }
}

// The first showing follows the user's launch of Orlix and takes the activation the launch
// brought; every later one leaves the activation where it is.
void QtStandardWindows::makeKeyAndOrderFront() {
    if (!controller_) {
        return;
    }
    if (std::exchange(firstShowing_, false)) {
        WindowPresentation::activate(controller_->window());
    } else {
        WindowPresentation::orderFront(controller_->window());
    }
}

void QtStandardWindows::animateAlpha(double alpha, std::function<void()> completion) {
    if (!controller_) {
        return;
    }
    QWidget* window = controller_->window();
    if (alpha > 0.0 && window->isHidden()) {
        WindowPresentation::orderFront(window);
    }
    OpacityFader::fadeWindow(window, alpha, fadeDuration, std::move(completion));
}

void QtStandardWindows::activate() {
    if (controller_) {
        WindowPresentation::activate(controller_->window());
    }
}

} // namespace orlix
