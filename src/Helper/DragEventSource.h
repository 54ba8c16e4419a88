#pragma once

#include "Helper/ScreenGeometry.h"
#include "Platform/Url.h"
#include "Shared/DragUIModifierKeys.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace orlix::helper {

// The whole screen's left-button drags as the helper sees them: the moves of the pointer while
// the button is held, each with the modifier keys of that moment, and the release; and the drag
// pasteboard, whose change count grows by one with each new drag of data between programs.
class DragEventSource {
public:
    struct Handlers {
        std::function<void(DragUIModifierKeys)> leftMouseDragged;
        std::function<void()> leftMouseUp;
    };

    virtual ~DragEventSource() = default;

    // The handlers are called on the main thread.
    virtual void setHandlers(Handlers handlers) = 0;
    virtual std::int64_t changeCount() const = 0;
    // The file URLs the current drag carries (none for a drag of anything else).
    virtual std::vector<Url> draggedFileURLs() const = 0;
    virtual ScreenPoint mouseLocation() const = 0;
};

} // namespace orlix::helper
