#include "UI/ActivityWindow/StackViewActivityShadowedContainerView.h"

#include <QPainter>

namespace orlix {

namespace {

// Past this distance from its corners every rectangle is a straight band: the corners of the
// largest radius at the largest inset, and a pixel of antialiasing.
constexpr int cornerSide = 4 + 13 + 1;
// The smallest view drawn in nine pieces: two corners and a pixel between them.
constexpr int tiledSide = 2 * cornerSide + 1;

} // namespace

StackViewActivityShadowedContainerView::StackViewActivityShadowedContainerView(const QSize& size,
                                                                               QWidget* parent)
    : QWidget(parent)
    , initializedSize_(size) {
    resize(size);
}

// Antialiased rectangles as large as the view cost more to fill than anything in front of them,
// and the view is painted again behind every change of a row and every step of a resize. Their
// corners are the same at any size and what lies between them is uniform, so the view is drawn from
// one small picture: its four corners as they are, its edges and middle stretched from one line
// of pixels, which repeats that line exactly.
void StackViewActivityShadowedContainerView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (width() < tiledSide || height() < tiledSide) {
        drawShadow(painter, rect());
        return;
    }
    const qreal ratio = devicePixelRatioF();
    if (tile_.isNull() || tile_.devicePixelRatio() != ratio) {
        tile_ = QPixmap((QSizeF(tiledSide, tiledSide) * ratio).toSize());
        tile_.setDevicePixelRatio(ratio);
        tile_.fill(Qt::transparent);
        QPainter tilePainter(&tile_);
        drawShadow(tilePainter, QRect(0, 0, tiledSide, tiledSide));
        tilePainter.end();
        const QImage image = tile_.toImage();
        middle_ = QColor::fromRgba(image.pixel(image.width() / 2, image.height() / 2));
    }
    const int middleWidth = width() - 2 * cornerSide;
    const int middleHeight = height() - 2 * cornerSide;
    const int columns[] = {0, cornerSide, width() - cornerSide};
    const int columnWidths[] = {cornerSide, middleWidth, cornerSide};
    const int rows[] = {0, cornerSide, height() - cornerSide};
    const int rowHeights[] = {cornerSide, middleHeight, cornerSide};
    const int tileStarts[] = {0, cornerSide, cornerSide + 1};
    const int tileLengths[] = {cornerSide, 1, cornerSide};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QRectF target(columns[column], rows[row], columnWidths[column], rowHeights[row]);
            // The middle is one colour: filled, not stretched from a pixel.
            if (row == 1 && column == 1) {
                painter.fillRect(target, middle_);
                continue;
            }
            const QRectF source(tileStarts[column] * ratio, tileStarts[row] * ratio,
                                tileLengths[column] * ratio, tileLengths[row] * ratio);
            painter.drawPixmap(target, tile_, source);
        }
    }
}

void StackViewActivityShadowedContainerView::drawShadow(QPainter& painter,
                                                        const QRect& bounds) const {
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
            QRectF(bounds).adjusted(pass.inset, pass.inset, -pass.inset, -pass.inset), pass.radius,
            pass.radius);
    }
}

} // namespace orlix
