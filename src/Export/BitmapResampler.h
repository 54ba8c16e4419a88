#pragma once

#include "Export/BitmapImageRep.h"

namespace orlix {

// Draws one bitmap scaled into a rectangle of another with a Lanczos filter, the way a graphics
// context draws an image at high interpolation quality.
class BitmapResampler {
public:
    // Draws `source` into the rectangle (x, y, width, height) of `canvas`, in canvas pixels with
    // the origin at the top left. The rectangle may be fractional and reach past the canvas; what
    // falls outside is cut away. Canvas pixels the rectangle only partly covers get that share of
    // the drawing, laid over what they held ("source over" for formats with alpha); pixels it does
    // not touch stay as they are. An empty rectangle draws nothing. False, with the canvas
    // untouched, when the formats differ, a value is not finite or the draw needs absurd memory;
    // false as well when memory runs out while it draws, which may leave some rows drawn. Rows are
    // shared among a few threads when the picture is large.
    static bool draw(const BitmapImageRep& source, BitmapImageRep& canvas, double x, double y,
                     double width, double height);
};

} // namespace orlix
