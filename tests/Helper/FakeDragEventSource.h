#pragma once

#include "Helper/DragEventSource.h"

#include <utility>

namespace orlix::helper::testing {

// A drag source driven by the test: each step is one event of the whole screen's pointer.
class FakeDragEventSource final : public DragEventSource {
public:
    void setHandlers(Handlers handlers) override { handlers_ = std::move(handlers); }
    std::int64_t changeCount() const override { return changeCount_; }
    std::vector<Url> draggedFileURLs() const override { return files_; }
    ScreenPoint mouseLocation() const override { return location_; }

    // Another program started a drag carrying `files`.
    void startDrag(std::vector<Url> files = {}) {
        ++changeCount_;
        files_ = std::move(files);
    }
    void drag(DragUIModifierKeys modifiers = {}) { handlers_.leftMouseDragged(modifiers); }
    void dragTo(ScreenPoint location, DragUIModifierKeys modifiers = {}) {
        location_ = location;
        drag(modifiers);
    }
    void release() { handlers_.leftMouseUp(); }

private:
    Handlers handlers_;
    std::int64_t changeCount_ = 7;
    std::vector<Url> files_;
    ScreenPoint location_{500, 400};
};

} // namespace orlix::helper::testing
