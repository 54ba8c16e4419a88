#pragma once

namespace orlix::helper {

// A point on the screen, in the coordinates of the helper's windows.
struct ScreenPoint {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const ScreenPoint&) const = default;
};

// A rectangle on the screen; it holds the points of its left and top edges, not those of its
// right and bottom ones.
struct ScreenRect {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;

    bool contains(ScreenPoint point) const {
        return point.x >= x && point.x < x + width && point.y >= y && point.y < y + height;
    }
    bool operator==(const ScreenRect&) const = default;
};

} // namespace orlix::helper
