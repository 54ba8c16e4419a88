#include "Helper/FloatingWindow.h"

#include "Desktop/CompositingManager.h"
#include "Helper/LaunchEnvironment.h"
#include "Helper/PopoverPlacement.h"
#include "Helper/PopoverView.h"
#include "Platform/MainQueue.h"
#include "UI/Common/ViewHelpers.h"
#include "UI/DropPanel/OperationsViewController.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QPainterPath>
#include <QPointer>
#include <QRegion>
#include <QScreen>

#include <cmath>
#include <utility>

namespace orlix::helper {

namespace {

QRect pixelRect(ScreenRect rect) {
    const auto left = static_cast<int>(std::floor(rect.x));
    const auto top = static_cast<int>(std::floor(rect.y));
    return {left, top, static_cast<int>(std::ceil(rect.x + rect.width)) - left,
            static_cast<int>(std::ceil(rect.y + rect.height)) - top};
}

ScreenRect screenRect(const QRect& rect) {
    return {static_cast<double>(rect.x()), static_cast<double>(rect.y()),
            static_cast<double>(rect.width()), static_cast<double>(rect.height())};
}

ScreenRect screenAt(ScreenPoint point) {
    const QPoint pixel(static_cast<int>(point.x), static_cast<int>(point.y));
    const auto* screen = QGuiApplication::screenAt(pixel);
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen ? screenRect(screen->availableGeometry()) : ScreenRect{0, 0, 1e6, 1e6};
}

void answerDrag(QDropEvent* event) {
    // Copy only: a file manager asked to move would delete the user's files.
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

} // namespace

FloatingWindow::FloatingWindow(ScreenRect contentRect, ScreenPoint mouseLocation,
                               std::function<void()> dragEndedCallback,
                               std::shared_ptr<LaunchEnvironment> environment)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus)
    , dragEndedCallback_(std::move(dragEndedCallback))
    , environment_(std::move(environment)) {
    setWindowTitle(QString::fromLatin1(title));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setAcceptDrops(true);
    setUp(contentRect, mouseLocation);
}

FloatingWindow::~FloatingWindow() {
    // The panel goes before its controller, so that nothing in it calls a controller that is gone.
    delete popover_;
}

// The window covers the square around the pointer and the popover; the panel sits in the
// popover, whose arrow points at the pointer.
void FloatingWindow::setUp(ScreenRect contentRect, ScreenPoint mouseLocation) {
    dragUIViewController_ = std::make_unique<OperationsViewController>();
    dragUIViewController_->setInPopover(true);
    const QPointer<FloatingWindow> self(this);
    dragUIViewController_->controllerStartedDragCallback = [self](OperationsViewController&) {
        if (self) {
            self->updateValidDraggingArea();
        }
    };
    dragUIViewController_->quickOptimizeCallback =
        dropCallback(&FloatingWindow::launchQuickOptimize);
    dragUIViewController_->resizeAndOptimizeCallback =
        dropCallback(&FloatingWindow::launchResizeAndOptimize);
    dragUIViewController_->usePreviousSettingsCallback =
        dropCallback(&FloatingWindow::launchUsePreviousSettings);

    auto* panel = dragUIViewController_->view();
    const auto placement = PopoverPlacement::place(mouseLocation, panel->width(), panel->height(),
                                                   screenAt(mouseLocation));
    const QRect window = pixelRect(contentRect).united(pixelRect(placement.frame));
    setGeometry(window);
    // Kept, since the window manager's first report of the window's place may be relative to a
    // frame of its own and say (0, 0) for a moment.
    windowFrame_ = screenRect(window);
    const QRect frame = pixelRect(placement.frame).translated(-window.topLeft());
    popover_ = new PopoverView(this);
    popover_->setGeometry(frame);
    popoverFrame_ = screenRect(*screenFrame(popover_));
    popover_->setArrow(placement.arrowTipX - placement.frame.x, placement.opensAbove);
    panel->setParent(popover_);
    panel->setGeometry(
        pixelRect(placement.content).translated(-window.topLeft() - frame.topLeft()));
    // Without a compositor the see-through parts would show black: the window takes the shape
    // of the popover instead.
    if (!CompositingManager::isRunning()) {
        setMask(
            QRegion(popover_->outline().toFillPolygon().toPolygon()).translated(frame.topLeft()));
    }
}

std::function<void(const std::vector<Url>&)>
FloatingWindow::dropCallback(void (FloatingWindow::*launch)(const std::vector<Url>&)) {
    // The panel calls on a later turn, by when the window may be gone.
    return [self = QPointer<FloatingWindow>(this), launch](const std::vector<Url>& urls) {
        if (self) {
            ((*self).*launch)(urls);
        }
    };
}

void FloatingWindow::orderFront() {
    show();
    raise();
}

void FloatingWindow::orderOut() {
    hide();
}

ScreenRect FloatingWindow::popoverFrame() const {
    return popoverFrame_;
}

ScreenRect FloatingWindow::validDraggingArea() const {
    return validDraggingArea_.value_or(windowFrame_);
}

void FloatingWindow::updateValidDraggingArea() {
    validDraggingArea_ = popoverFrame();
}

void FloatingWindow::launchQuickOptimize(const std::vector<Url>& urls) {
    launch(CoreApplicationLauncher::SettingsType::quickOptimize, urls);
}

void FloatingWindow::launchResizeAndOptimize(const std::vector<Url>& urls) {
    launch(CoreApplicationLauncher::SettingsType::resizeAndOptimize, urls);
}

void FloatingWindow::launchUsePreviousSettings(const std::vector<Url>& urls) {
    launch(CoreApplicationLauncher::SettingsType::usePreviousSettings, urls);
}

// The panel has no acceptance test here: every file of the drop goes, and the main application
// keeps what it can process. The dragging session is over; the window may be gone after the
// callback.
void FloatingWindow::launch(CoreApplicationLauncher::SettingsType settingsType,
                            const std::vector<Url>& urls) {
    CoreApplicationLauncher{urls, settingsType}.launch(*environment_);
    if (const auto ended = dragEndedCallback_) {
        ended();
    }
}

// Every drag over the window outside the zones is answered, so that the source keeps the window as
// its target while the pointer crosses the frame between zones; only its drop is refused.
void FloatingWindow::dragEnterEvent(QDragEnterEvent* event) {
    answerDrag(event);
}

void FloatingWindow::dragMoveEvent(QDragMoveEvent* event) {
    answerDrag(event);
}

// The dragging session over the window is over; the window may be closed by the callback, which
// therefore runs on the next turn, outside the drop.
void FloatingWindow::dropEvent(QDropEvent* event) {
    event->ignore();
    MainQueue::async([self = QPointer<FloatingWindow>(this)] {
        if (self && self->dragEndedCallback_) {
            self->dragEndedCallback_();
        }
    });
}

} // namespace orlix::helper
