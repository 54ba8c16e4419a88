#pragma once

#include "Helper/ScreenGeometry.h"

namespace orlix::helper {

// Where the floating drop panel's popover goes: centred above the pointer with its arrow pointing
// down at it, flipped below when there is no room above, and moved sideways to stay on the
// screen while its arrow keeps pointing at the pointer.
struct PopoverPlacement {
    static constexpr double arrowHeight = 10.0;
    static constexpr double arrowHalfWidth = 10.0;
    static constexpr double cornerRadius = 8.0;
    static constexpr double padding = 6.0;
    // The tip stops this far from the pointer: the anchor is a 10 by 10 square centred on it.
    static constexpr double anchorHalfSize = 5.0;

    // The popover, arrow included.
    ScreenRect frame;
    // The panel inside it.
    ScreenRect content;
    double arrowTipX = 0.0;
    bool opensAbove = true;

    static PopoverPlacement place(ScreenPoint pointer, double contentWidth, double contentHeight,
                                  ScreenRect screen);
};

} // namespace orlix::helper
