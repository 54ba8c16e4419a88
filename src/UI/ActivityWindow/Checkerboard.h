#pragma once

#include <QColor>

#include <cstdint>

class QPainter;

namespace orlix {

// Paints the transparency checkerboard into the rectangle (0, 0, width, height): the background
// everywhere, then every second cell in the foreground colour, the first cell of the first row
// left as background. `flipped` puts the first row at the top of a picture `pixelsHigh` tall,
// otherwise at its bottom. Cells of the last row and column may run past the edge.
void drawCheckerboard(QPainter& painter, const QColor& background, std::uint32_t width,
                      std::uint32_t height, std::uint32_t cellWidth, std::uint32_t cellHeight,
                      const QColor& foreground, bool flipped, std::uint32_t pixelsHigh);

} // namespace orlix
