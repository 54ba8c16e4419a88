#include "UI/ActivityWindow/StackViewActivityClippedView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

namespace orlix {

StackViewActivityClippedView::StackViewActivityClippedView(QWidget* parent)
    : QWidget(parent) {}

void StackViewActivityClippedView::setActivityContainerView(QWidget* container) {
    activityContainerView_ = container;
}

QPainterPath StackViewActivityClippedView::containerOutline(const QWidget* container,
                                                            const QWidget* view) {
    // Through global coordinates, because the container need not be an ancestor of the view.
    const QPoint offset = container->mapToGlobal(QPoint(0, 0)) - view->mapToGlobal(QPoint(0, 0));
    const QRectF bounds =
        QRectF(container->rect()).translated(offset).adjusted(1.0, 1.0, -1.0, -1.0);
    QPainterPath outline;
    outline.addRoundedRect(bounds, 10.0, 10.0);
    return outline;
}

void StackViewActivityClippedView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (activityContainerView_) {
        painter.setClipPath(containerOutline(activityContainerView_, this));
    }
    drawClippedContent(painter, event->rect());
}

void StackViewActivityClippedView::drawClippedContent(QPainter&, const QRect&) {}

} // namespace orlix
