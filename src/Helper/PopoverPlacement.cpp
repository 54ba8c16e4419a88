#include "Helper/PopoverPlacement.h"

#include <algorithm>

namespace orlix::helper {

PopoverPlacement PopoverPlacement::place(ScreenPoint pointer, double contentWidth,
                                         double contentHeight, ScreenRect screen) {
    PopoverPlacement placement;
    const double width = contentWidth + 2 * padding;
    const double height = contentHeight + 2 * padding + arrowHeight;
    const double aboveTop = pointer.y - anchorHalfSize - height;
    placement.opensAbove =
        aboveTop >= screen.y || pointer.y + anchorHalfSize + height > screen.y + screen.height;
    const double top = placement.opensAbove ? aboveTop : pointer.y + anchorHalfSize;
    const double left =
        std::max(screen.x, std::min(pointer.x - width / 2, screen.x + screen.width - width));
    placement.frame = {left, top, width, height};
    placement.content = {left + padding, top + padding + (placement.opensAbove ? 0.0 : arrowHeight),
                         contentWidth, contentHeight};
    const double inset = cornerRadius + arrowHalfWidth;
    placement.arrowTipX = std::clamp(pointer.x, left + inset, left + width - inset);
    return placement;
}

} // namespace orlix::helper
