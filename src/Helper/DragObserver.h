#pragma once

#include "Helper/DragEventSource.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace orlix::helper {

// Tells when a drag of data from another program begins, goes on and ends, anywhere on screen,
// and only while exactly the chosen modifier keys are held when it begins. A new drag is a change
// of the drag pasteboard's count seen during a left-button drag.
class DragObserver : public std::enable_shared_from_this<DragObserver> {
public:
    using Callback = std::function<void()>;
    // The chosen modifier keys, read at the start of every drag.
    using ModifierKeysReader = std::function<std::int64_t()>;

    struct Callbacks {
        Callback began;
        Callback continued;
        Callback ended;
    };

    static std::shared_ptr<DragObserver> create(std::shared_ptr<DragEventSource> source,
                                                ModifierKeysReader chosenKeys, Callbacks callbacks);

    DragObserver(const DragObserver&) = delete;
    DragObserver& operator=(const DragObserver&) = delete;

    // Off at first. While off no callback is called, but each new drag is still taken note of,
    // so that switching on in the middle of a drag does not report that drag.
    bool isObserving() const { return isObserving_; }
    void setIsObserving(bool observing) { isObserving_ = observing; }
    bool isPasteboardDragging() const { return isPasteboardDragging_; }

private:
    DragObserver(std::shared_ptr<DragEventSource> source, ModifierKeysReader chosenKeys,
                 Callbacks callbacks);
    void installMonitors();
    void dragged(DragUIModifierKeys modifiers);
    void mouseUp();

    std::shared_ptr<DragEventSource> source_;
    ModifierKeysReader chosenKeys_;
    Callbacks callbacks_;
    bool isObserving_ = false;
    bool isPasteboardDragging_ = false;
    std::int64_t lastSeenChangeCount_ = 0;
};

} // namespace orlix::helper
