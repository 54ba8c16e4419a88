#include "UI/DropWindow/OperationsWindowController.h"

#include "Shared/ImageFileType.h"
#include "Shared/SharedDefinitions.h"
#include "UI/Common/ApplicationActivationObserver.h"
#include "UI/Common/ViewHelpers.h"
#include "UI/DropPanel/FileURLsFromPasteboard.h"
#include "UI/DropWindow/LargeOperationsViewController.h"
#include "UI/DropWindow/OperationsWindow.h"

#include <QGuiApplication>
#include <QScreen>

namespace orlix {

namespace {

bool isApplicationActive() {
    return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

} // namespace

OperationsWindowController::OperationsWindowController() = default;

OperationsWindowController::~OperationsWindowController() {
    applicationActivationObserver_.reset();
    // The panel's view lives in the window; the controller goes first so that nothing calls it
    // while the window is torn down.
    operationsViewController_.reset();
    window_.reset();
}

OperationsWindow* OperationsWindowController::window() {
    if (!window_) {
        window_ = std::make_unique<OperationsWindow>();
        windowDidLoad();
    }
    return window_.get();
}

void OperationsWindowController::windowDidLoad() {
    placeOnScreen(window_->screen());
    applicationActivationObserver_ = std::make_unique<ApplicationActivationObserver>();
    const QPointer<OperationsWindowController> weak(this);
    applicationActivationObserver_->applicationDidBecomeActiveCallback = [weak] {
        if (weak) {
            weak->setInBackground(false);
        }
    };
    applicationActivationObserver_->applicationDidResignActiveCallback = [weak] {
        if (weak) {
            weak->setInBackground(true);
        }
    };
    operationsViewController_ = std::make_unique<LargeOperationsViewController>();
    operationsViewController_->setInPopover(false);
    operationsViewController_->setInBackground(!isApplicationActive());
    wirePanel();

    QWidget* panel = operationsViewController_->view();
    panel->setParent(window_.get());
    pinToSuperview(panel, 0, 0, 0, 0);
    // The window's content covers exactly the laid-out panel.
    if (const auto frame = screenFrame(panel)) {
        window_->setFixedSize(frame->size());
        window_->move(frame->topLeft());
    }
    placeOnScreen(window_->screen());
}

void OperationsWindowController::wirePanel() {
    auto& panel = *operationsViewController_;
    const QPointer<OperationsWindowController> weak(this);
    panel.isDragAcceptedCallback = [weak](const QMimeData* pasteboard) {
        return weak && isDragAccepted(pasteboard);
    };
    const auto forwardDrop = [weak](DropCallback OperationsWindowController::*field) {
        return [weak, field](const std::vector<Url>& urls) {
            if (weak && (weak->*field)) {
                (weak->*field)(urls);
            }
        };
    };
    panel.quickOptimizeCallback = forwardDrop(&OperationsWindowController::quickOptimizeCallback);
    panel.resizeAndOptimizeCallback =
        forwardDrop(&OperationsWindowController::resizeAndOptimizeCallback);
    panel.usePreviousSettingsCallback =
        forwardDrop(&OperationsWindowController::usePreviousSettingsCallback);
    const auto forwardClick = [weak](ClickedCallback OperationsWindowController::*field) {
        return [weak, field] {
            if (weak && (weak->*field)) {
                (weak->*field)();
            }
        };
    };
    panel.setQuickOptimizeClickedCallback(
        forwardClick(&OperationsWindowController::quickOptimizeClickedCallback));
    panel.setResizeAndOptimizeClickedCallback(
        forwardClick(&OperationsWindowController::resizeAndOptimizeClickedCallback));
    panel.setUsePreviousSettingsClickedCallback(
        forwardClick(&OperationsWindowController::usePreviousSettingsClickedCallback));
}

void OperationsWindowController::setInBackground(bool inBackground) {
    if (operationsViewController_) {
        operationsViewController_->setInBackground(inBackground);
    }
}

bool OperationsWindowController::isDragAccepted(const QMimeData* pasteboard) {
    return !ImageFileType::supportedImageURLs(fileURLsFromPasteboard(pasteboard)).empty();
}

// Measured from the top of the screen's own geometry, so that a screen whose origin is not at the
// top of the desktop gets the window on itself.
void OperationsWindowController::placeOnScreen(const QScreen* screen) {
    if (!window_ || !screen) {
        return;
    }
    const QRect area = screen->geometry();
    window_->move(area.left() + (area.width() - window_->width()) / 2,
                  area.top() + int(windowTopMargin));
}

} // namespace orlix
