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
    QPainter painter(this);
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
