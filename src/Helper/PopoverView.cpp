#include "Helper/PopoverView.h"

#include "Helper/PopoverPlacement.h"

#include <QPainter>
#include <QPainterPath>

namespace orlix::helper {

PopoverView::PopoverView(QWidget* parent)
    : QWidget(parent) {}

void PopoverView::setArrow(double tipX, bool pointsDown) {
    arrowTipX_ = tipX;
    arrowPointsDown_ = pointsDown;
    update();
}

QPainterPath PopoverView::outline() const {
    using P = PopoverPlacement;
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const QRectF body = arrowPointsDown_ ? bounds.adjusted(0, 0, 0, -P::arrowHeight)
                                         : bounds.adjusted(0, P::arrowHeight, 0, 0);
    QPainterPath path;
    path.addRoundedRect(body, P::cornerRadius, P::cornerRadius);
    const double baseY = arrowPointsDown_ ? body.bottom() - 0.5 : body.top() + 0.5;
    const double tipY = arrowPointsDown_ ? bounds.bottom() : bounds.top();
    QPainterPath arrow;
    arrow.moveTo(arrowTipX_ - P::arrowHalfWidth, baseY);
    arrow.lineTo(arrowTipX_, tipY);
    arrow.lineTo(arrowTipX_ + P::arrowHalfWidth, baseY);
    arrow.closeSubpath();
    return path.united(arrow);
}

void PopoverView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The window's colours follow the desktop's light or dark scheme.
    painter.setPen(QPen(palette().color(QPalette::Mid), 1.0));
    painter.setBrush(palette().color(QPalette::Window));
    painter.drawPath(outline());
}

} // namespace orlix::helper
