#include "UI/DropPanel/OperationsView.h"

#include "UI/DropPanel/LayeredDrawingView.h"
#include "UI/DropPanel/OperationsViewDelegate.h"

#include <QEvent>

namespace orlix {

OperationsView::OperationsView(QWidget* parent)
    : QWidget(parent) {
    if (parent) {
        moveToWindow();
    }
}

OperationsView::~OperationsView() {
    removeBackgroundViews();
}

// In a window the top-level widget is the content. A popover's content sits inside the frame
// that draws the popover: the backgrounds go into that frame, over its fill and behind the panel,
// so that a zone's colour reaches the popover's edges.
QWidget* OperationsView::hostView() const {
    return isInPopover_ ? parentWidget() : window();
}

bool OperationsView::event(QEvent* event) {
    if (event->type() == QEvent::ParentAboutToChange) {
        removeBackgroundViews();
    } else if (event->type() == QEvent::ParentChange) {
        moveToWindow();
    }
    return QWidget::event(event);
}

// Qt tells a widget that is not yet shown only that its parent changed: what belonged to the old
// window goes first.
void OperationsView::moveToWindow() {
    removeBackgroundViews();
    if (!parentWidget()) {
        return;
    }
    startObservingWindow();
    installBackgroundViews();
}

void OperationsView::startObservingWindow() {
    observedWindow_ = window();
    observedHost_ = hostView();
    observedWindow_->installEventFilter(this);
    if (observedHost_ && observedHost_ != observedWindow_) {
        observedHost_->installEventFilter(this);
    }
    observingWindow_ = true;
}

void OperationsView::removeBackgroundViews() {
    if (observingWindow_) {
        if (observedWindow_) {
            observedWindow_->removeEventFilter(this);
        }
        if (observedHost_) {
            observedHost_->removeEventFilter(this);
        }
        observingWindow_ = false;
    }
    delete backgroundView_.data();
}

void OperationsView::installBackgroundViews() {
    QWidget* host = hostView();
    if (!host) {
        return;
    }
    auto* container = new QWidget(host);
    container->setObjectName(QStringLiteral("operationsBackground"));
    container->setAttribute(Qt::WA_TransparentForMouseEvents);
    container->setGeometry(host->rect());
    container->lower();
    backgroundView_ = container;
    quickOptimizeBackgroundView_ = new LayeredDrawingView(container);
    resizeAndOptimizeBackgroundView_ = new LayeredDrawingView(container);
    usePreviousSettingsBackgroundView_ = new LayeredDrawingView(container);
    container->show();
    layoutBackgroundViews();
}

void OperationsView::layoutBackgroundViews() {
    if (!delegate_) {
        return;
    }
    if (quickOptimizeBackgroundView_) {
        delegate_->layoutQuickOptimizeBackgroundView(quickOptimizeBackgroundView_);
    }
    if (resizeAndOptimizeBackgroundView_) {
        delegate_->layoutResizeAndOptimizeBackgroundView(resizeAndOptimizeBackgroundView_);
    }
    if (usePreviousSettingsBackgroundView_) {
        delegate_->layoutUsePreviousSettingsBackgroundView(usePreviousSettingsBackgroundView_);
    }
}

void OperationsView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutBackgroundViews();
}

// The container follows its host's size; any move or resize of the window may move the zones.
bool OperationsView::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type == QEvent::Resize || type == QEvent::Move) {
        if (watched == hostView() && backgroundView_) {
            backgroundView_->setGeometry(hostView()->rect());
        }
        layoutBackgroundViews();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orlix
