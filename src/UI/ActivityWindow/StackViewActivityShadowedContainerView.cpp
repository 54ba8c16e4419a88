#include "UI/ActivityWindow/StackViewActivityShadowedContainerView.h"

#include <QPainter>

namespace orlix {

StackViewActivityShadowedContainerView::StackViewActivityShadowedContainerView(const QSize& size,
                                                                               QWidget* parent)
    : QWidget(parent)
    , initializedSize_(size) {
    resize(size);
}

void StackViewActivityShadowedContainerView::paintEvent(QPaintEvent*) {
    // Drawn once for each size: antialiased rectangles of the whole view cost more to fill than
    // anything in front of them, and the view is painted again behind every change of a row.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (shadow_.size() != pixels || shadow_.devicePixelRatio() != ratio) {
        shadow_ = QPixmap(pixels);
        shadow_.setDevicePixelRatio(ratio);
        shadow_.fill(Qt::transparent);
        drawShadow(shadow_);
    }
    QPainter(this).drawPixmap(0, 0, shadow_);
}

void StackViewActivityShadowedContainerView::drawShadow(QPixmap& pixmap) const {
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const struct {
        QColor color;
        double inset;
        double radius;
    } passes[] = {{outerBorderColor_, 1.0, 13.0},
                  {innerOuterBorderColor_, 2.0, 12.25},
                  {innerBorderColor_, 3.0, 11.5},
                  {innerInnerBorderColor_, 4.0, 10.75}};
    for (const auto& pass : passes) {
        painter.setBrush(pass.color);
        painter.drawRoundedRect(
            QRectF(rect()).adjusted(pass.inset, pass.inset, -pass.inset, -pass.inset), pass.radius,
            pass.radius);
    }
}

} // namespace orlix
