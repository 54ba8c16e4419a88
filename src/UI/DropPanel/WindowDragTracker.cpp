#include "UI/DropPanel/WindowDragTracker.h"

#include <QEvent>
#include <QWidget>

namespace orlix {

void WindowDragTracker::dragEntered(const QWidget* widget) {
    QWindow* window = widget->window()->windowHandle();
    if (window != window_) {
        if (window_) {
            window_->removeEventFilter(this);
        }
        window_ = window;
        if (window) {
            window->installEventFilter(this);
        }
    }
    dragOverWindow_ = true;
}

bool WindowDragTracker::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_) {
        switch (event->type()) {
        case QEvent::DragEnter:
            dragOverWindow_ = true;
            break;
        // A drop ends the drag over the window, and no leave follows it.
        case QEvent::Drop:
        case QEvent::DragLeave:
            dragOverWindow_ = false;
            if (dragLeftWindowCallback) {
                dragLeftWindowCallback();
            }
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orlix
