#pragma once

#include "Export/BitmapImageRep.h"

#include <cstddef>
#include <cstdint>

namespace orlix {

// Puts rows, as a JPEG stores them, straight into their upright place in the destination, so
// turning a picture costs no second full-size bitmap. Orientations are EXIF's 1 to 8; any other
// value is taken as 1.
class OrientedRowWriter {
public:
    static bool swapsAxes(int orientation) { return orientation >= 5 && orientation <= 8; }

    // `destination` has the upright size: the stored size, with width and height exchanged when
    // the orientation swaps the axes.
    OrientedRowWriter(BitmapImageRep& destination, std::uint32_t storedWidth,
                      std::uint32_t storedHeight, int orientation);

    // One stored row, `storedWidth` pixels in the destination's sample layout.
    void write(std::uint32_t storedY, const std::uint8_t* row);

private:
    BitmapImageRep& destination_;
    std::uint32_t storedWidth_;
    std::uint32_t storedHeight_;
    int orientation_;
};

} // namespace orlix
