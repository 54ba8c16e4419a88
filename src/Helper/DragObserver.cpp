#include "Helper/DragObserver.h"

#include "Platform/MainQueue.h"

#include <utility>

namespace orlix::helper {

namespace {

void call(const DragObserver::Callback& callback) {
    if (callback) {
        callback();
    }
}

} // namespace

std::shared_ptr<DragObserver> DragObserver::create(std::shared_ptr<DragEventSource> source,
                                                   ModifierKeysReader chosenKeys,
                                                   Callbacks callbacks) {
    std::shared_ptr<DragObserver> observer(
        new DragObserver(std::move(source), std::move(chosenKeys), std::move(callbacks)));
    observer->installMonitors();
    return observer;
}

DragObserver::DragObserver(std::shared_ptr<DragEventSource> source, ModifierKeysReader chosenKeys,
                           Callbacks callbacks)
    : source_(std::move(source))
    , chosenKeys_(std::move(chosenKeys))
    , callbacks_(std::move(callbacks))
    , lastSeenChangeCount_(source_->changeCount()) {}

// Each event takes one turn of the main queue before it is looked at, as the callbacks expect to
// run on their own turn. The observer is held weakly: the source lives as long as it does.
void DragObserver::installMonitors() {
    const std::weak_ptr<DragObserver> weak = weak_from_this();
    source_->setHandlers({[weak](DragUIModifierKeys modifiers) {
                              MainQueue::async([weak, modifiers] {
                                  if (const auto observer = weak.lock()) {
                                      observer->dragged(modifiers);
                                  }
                              });
                          },
                          [weak] {
                              MainQueue::async([weak] {
                                  if (const auto observer = weak.lock()) {
                                      observer->mouseUp();
                                  }
                              });
                          }});
}

void DragObserver::dragged(DragUIModifierKeys modifiers) {
    const auto changeCount = source_->changeCount();
    if (changeCount != lastSeenChangeCount_) {
        lastSeenChangeCount_ = changeCount;
        // The whole set must match: with Ctrl chosen, Ctrl with Shift is no match.
        if (isObserving_ && (chosenKeys_ ? chosenKeys_() : 0) == modifiers.rawValue()) {
            isPasteboardDragging_ = true;
            call(callbacks_.began);
        }
    }
    if (isPasteboardDragging_ && isObserving_) {
        call(callbacks_.continued);
    }
}

void DragObserver::mouseUp() {
    if (!isPasteboardDragging_) {
        return;
    }
    isPasteboardDragging_ = false;
    if (isObserving_) {
        call(callbacks_.ended);
    }
}

} // namespace orlix::helper
