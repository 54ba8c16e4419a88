#include "Helper/PopoverView.h"

#include "Helper/PopoverPlacement.h"

#include <QPainter>
#include <QPainterPath>

namespace orlix::helper {

namespace {

// Lies over everything inside the popover, the zone colours included: erases what is drawn
// outside the outline, leaving the window see-through there, and draws the outline's edge.
class PopoverEdge final : public QWidget {
public:
    explicit PopoverEdge(PopoverView* popover)
        : QWidget(popover)
        , popover_(popover) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPainterPath outline = popover_->outline();
        QPainterPath outside;
        outside.addRect(rect());
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.fillPath(outside.subtracted(outline), Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        // The window's colours follow the desktop's light or dark scheme.
        painter.strokePath(outline, QPen(palette().color(QPalette::Mid), 1.0));
    }

private:
    const PopoverView* popover_;
};

} // namespace

PopoverView::PopoverView(QWidget* parent)
    : QWidget(parent)
    , edge_(new PopoverEdge(this)) {}

void PopoverView::setArrow(double tipX, bool pointsDown) {
    arrowTipX_ = tipX;
    arrowPointsDown_ = pointsDown;
    update();
    edge_->update();
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
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::Window));
    painter.drawPath(outline());
}

void PopoverView::showEvent(QShowEvent* event) {
    updateEdge();
    QWidget::showEvent(event);
}

void PopoverView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateEdge();
}

// Over the panel, which arrives after the frame is made.
void PopoverView::updateEdge() {
    edge_->setGeometry(rect());
    edge_->raise();
}

} // namespace orlix::helper
