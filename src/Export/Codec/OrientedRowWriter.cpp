#include "Export/Codec/OrientedRowWriter.h"

#include <cstring>

namespace orlix {

OrientedRowWriter::OrientedRowWriter(BitmapImageRep& destination, std::uint32_t storedWidth,
                                     std::uint32_t storedHeight, int orientation)
    : destination_(destination)
    , storedWidth_(storedWidth)
    , storedHeight_(storedHeight)
    , orientation_(orientation >= 1 && orientation <= 8 ? orientation : 1) {}

void OrientedRowWriter::write(std::uint32_t storedY, const std::uint8_t* row) {
    const auto pixelBytes = static_cast<std::ptrdiff_t>(destination_.samplesPerPixel());
    const auto rowBytes = static_cast<std::ptrdiff_t>(destination_.bytesPerRow());
    const std::uint32_t lastX = storedWidth_ - 1;
    const std::uint32_t flippedY = storedHeight_ - 1 - storedY;
    if (orientation_ == 1) {
        std::memcpy(destination_.row(storedY), row, destination_.bytesPerRow());
        return;
    }
    // Where the row's first pixel lands, and how far each following one is from the last.
    std::uint32_t startX = 0;
    std::uint32_t startY = 0;
    std::ptrdiff_t step = 0;
    switch (orientation_) {
    case 2: // mirrored left to right
        startX = lastX, startY = storedY, step = -pixelBytes;
        break;
    case 3: // upside down
        startX = lastX, startY = flippedY, step = -pixelBytes;
        break;
    case 4: // mirrored top to bottom
        startX = 0, startY = flippedY, step = pixelBytes;
        break;
    case 5: // mirrored along the main diagonal
        startX = storedY, startY = 0, step = rowBytes;
        break;
    case 6: // needs a quarter turn clockwise
        startX = flippedY, startY = 0, step = rowBytes;
        break;
    case 7: // mirrored along the other diagonal
        startX = flippedY, startY = lastX, step = -rowBytes;
        break;
    default: // 8: needs a quarter turn anticlockwise
        startX = storedY, startY = lastX, step = -rowBytes;
        break;
    }
    const std::ptrdiff_t start = static_cast<std::ptrdiff_t>(startY) * rowBytes +
                                 static_cast<std::ptrdiff_t>(startX) * pixelBytes;
    for (std::uint32_t x = 0; x < storedWidth_; ++x) {
        std::memcpy(destination_.data() + start + static_cast<std::ptrdiff_t>(x) * step,
                    row + std::size_t{x} * static_cast<std::size_t>(pixelBytes),
                    static_cast<std::size_t>(pixelBytes));
    }
}

} // namespace orlix
