#include "App/MessageWindowController.h"

#include "App/MessageBackgroundView.h"
#include "UI/Common/ApplicationActivationObserver.h"
#include "UI/Common/DeactivatableUI.h"
#include "UI/Common/ViewHelpers.h"

#include <QEvent>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

namespace orlix {

namespace {

// Reports every move and resize of the window it watches.
class WindowMoveFilter final : public QObject {
public:
    explicit WindowMoveFilter(std::function<void()> moved)
        : moved_(std::move(moved)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
            moved_();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> moved_;
};

} // namespace

MessageWindowController::MessageWindowController() {
    windowDidLoad();
}

MessageWindowController::~MessageWindowController() {
    // The message may outlive the window: it must not call back into it.
    removeMessageViewController();
    detach();
    delete window_.data();
}

void MessageWindowController::windowDidLoad() {
    // A panel hanging below the drop window: no frame, no place in the task bar, and shown without
    // taking the focus from whatever the user works in.
    window_ = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    window_->setObjectName(QStringLiteral("messageWindow"));
    window_->setAttribute(Qt::WA_TranslucentBackground);
    window_->setAttribute(Qt::WA_ShowWithoutActivating);
    window_->resize(MessageViewController::messageWidth, 1);
    auto* layout = new QVBoxLayout(window_);
    layout->setContentsMargins(0, 0, 0, 0);
    contentView_ = new MessageBackgroundView(window_);
    layout->addWidget(contentView_);

    applicationActivationObserver_ = std::make_unique<ApplicationActivationObserver>();
    applicationActivationObserver_->applicationDidBecomeActiveCallback = [this] {
        activationChanged(true);
    };
    applicationActivationObserver_->applicationDidResignActiveCallback = [this] {
        activationChanged(false);
    };
    setActivated(activated_);
    if (auto* deactivatable = dynamic_cast<DeactivatableUI*>(messageViewController_.get())) {
        deactivatable->setActivated(activated_);
    }
}

void MessageWindowController::activationChanged(bool activated) {
    if (!window_) {
        return;
    }
    activated_ = activated;
    setActivated(activated);
    if (auto* deactivatable = dynamic_cast<DeactivatableUI*>(messageViewController_.get())) {
        deactivatable->setActivated(activated);
    }
}

void MessageWindowController::setActivated(bool activated) {
    recolorTextFields(contentView_, activated);
}

void MessageWindowController::setMessageViewController(
    std::shared_ptr<MessageViewController> message) {
    removeMessageViewController();
    messageViewController_ = std::move(message);
    show();
}

void MessageWindowController::removeMessageViewController() {
    if (!messageViewController_) {
        return;
    }
    messageViewController_->dismisser = nullptr;
    if (QWidget* view = messageViewController_->view()) {
        view->hide();
        view->setParent(nullptr);
    }
}

void MessageWindowController::show() {
    QWidget* view = messageViewController_ ? messageViewController_->view() : nullptr;
    if (!window_ || !contentView_ || !view) {
        return;
    }
    messageViewController_->dismisser = [this] {
        // Copied: closing the window may replace the owner's callback.
        if (const auto ownDismisser = dismisser) {
            ownDismisser();
        }
    };
    view->setParent(contentView_);
    view->adjustSize();
    // The window takes the message's height and keeps its top edge, so it grows or shrinks
    // downwards.
    const QPoint topLeft = window_->pos();
    const int height = view->height();
    pinToSuperview(view, 0, 0, 0, 0);
    view->show();
    window_->setFixedHeight(height);
    window_->resize(window_->width(), height);
    window_->move(topLeft);
}

void MessageWindowController::attach(QWidget* parentWindow, int gap) {
    detach();
    if (!window_ || !parentWindow) {
        return;
    }
    parentWindow_ = parentWindow;
    gap_ = gap;
    // Transient for the parent: the window manager keeps it above the parent and with it.
    window_->winId();
    parentWindow->winId();
    window_->windowHandle()->setTransientParent(parentWindow->windowHandle());
    parentWindowFollower_ = std::make_unique<WindowMoveFilter>([this] { followParentWindow(); });
    parentWindow->installEventFilter(parentWindowFollower_.get());
    followParentWindow();
}

void MessageWindowController::detach() {
    if (parentWindow_ && parentWindowFollower_) {
        parentWindow_->removeEventFilter(parentWindowFollower_.get());
    }
    parentWindowFollower_.reset();
    if (window_ && window_->windowHandle()) {
        window_->windowHandle()->setTransientParent(nullptr);
    }
    parentWindow_ = nullptr;
}

void MessageWindowController::followParentWindow() {
    if (!window_ || !parentWindow_) {
        return;
    }
    const QRect parent = parentWindow_->frameGeometry();
    window_->move(parent.left(), parent.bottom() + 1 + gap_);
}

} // namespace orlix
