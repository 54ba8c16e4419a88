#include "App/MessageBackgroundView.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegion>

namespace orlix {

MessageBackgroundView::MessageBackgroundView(QWidget* parent)
    : QWidget(parent) {}

QPainterPath MessageBackgroundView::outline() const {
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    return path;
}

void MessageBackgroundView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(outline(), palette().color(QPalette::Window));
}

void MessageBackgroundView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Without a compositing manager a translucent window shows black where it is transparent;
    // cutting the window to the outline gives the corners everywhere.
    if (parentWidget() && parentWidget()->isWindow() && geometry() == parentWidget()->rect()) {
        parentWidget()->setMask(QRegion(outline().toFillPolygon().toPolygon()));
    }
}

} // namespace orlix
