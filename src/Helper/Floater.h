#pragma once

#include "Helper/ScreenGeometry.h"

#include <functional>
#include <memory>

namespace orlix::helper {

// What the helper's delegate needs of the floating window that shows the drop panel under the
// pointer during a drag.
class Floater {
public:
    virtual ~Floater() = default;

    virtual void orderFront() = 0;
    // Closes the popover and takes the window off the screen.
    virtual void orderOut() = 0;
    // Where the pointer may go during the drag: the whole window until the drag has entered a
    // zone of the panel, the panel's own area from then on.
    virtual ScreenRect validDraggingArea() const = 0;
};

// Makes a floating window over `contentRect` for a drag whose pointer is at `mouseLocation`;
// `dragEnded` is called when the drag ends with a drop on it.
using FloaterFactory = std::function<std::unique_ptr<Floater>(
    ScreenRect contentRect, ScreenPoint mouseLocation, std::function<void()> dragEnded)>;

} // namespace orlix::helper
