#include "UI/ActivityWindow/Checkerboard.h"

#include <QPainter>

namespace orlix {

void drawCheckerboard(QPainter& painter, const QColor& background, std::uint32_t width,
                      std::uint32_t height, std::uint32_t cellWidth, std::uint32_t cellHeight,
                      const QColor& foreground, bool flipped, std::uint32_t pixelsHigh) {
    painter.fillRect(QRectF(0, 0, width, height), background);
    if (cellWidth == 0 || cellHeight == 0) {
        return;
    }
    const std::uint64_t columns = (std::uint64_t{width} + cellWidth - 1) / cellWidth;
    const std::uint64_t rows = (std::uint64_t{height} + cellHeight - 1) / cellHeight;
    for (std::uint64_t row = 0; row < rows; ++row) {
        // Qt's y axis points down, so the first row is at the top when flipped.
        const double y = flipped ? double(row * cellHeight)
                                 : double(pixelsHigh) - double((row + 1) * cellHeight);
        for (std::uint64_t column = (row + 1) % 2; column < columns; column += 2) {
            painter.fillRect(QRectF(double(column * cellWidth), y, cellWidth, cellHeight),
                             foreground);
        }
    }
}

} // namespace orlix
