#include "UI/DropPanel/ViewBorderLayeredArtist.h"

#include <QPainter>
#include <QRectF>
#include <QWidget>

namespace orlix {

// Every line lies inside the view along its own edge; y grows downwards, so the bottom line is the
// last rows of the view.
void ViewBorderLayeredArtist::draw(QPainter& painter, const QWidget& view, const QRect&) const {
    const QRectF bounds = view.rect();
    const double width = bounds.width();
    const double height = bounds.height();
    if (leftBorder) {
        const auto& b = *leftBorder;
        painter.fillRect(QRectF{bounds.left(), b.margin, b.width, height - 2 * b.margin}, b.color);
    }
    if (topBorder) {
        const auto& b = *topBorder;
        painter.fillRect(QRectF{bounds.left() + b.margin, 0.0, width - 2 * b.margin, b.width},
                         b.color);
    }
    if (rightBorder) {
        const auto& b = *rightBorder;
        painter.fillRect(
            QRectF{bounds.left() + width - b.width, b.margin, b.width, height - 2 * b.margin},
            b.color);
    }
    if (bottomBorder) {
        const auto& b = *bottomBorder;
        painter.fillRect(
            QRectF{bounds.left() + b.margin, height - b.width, width - 2 * b.margin, b.width},
            b.color);
    }
}

} // namespace orlix
