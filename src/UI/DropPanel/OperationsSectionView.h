#pragma once

#include "UI/DropPanel/LayeredDrawingView.h"

class QMouseEvent;

namespace orlix {

class OperationsSectionViewDragDelegate;
class OperationsSectionViewMouseDelegate;

// One zone of the drop panel: a drag destination and, when clickable, a button. It keeps a few
// flags of its own and hands every event to its controller.
//
// Drags: every entering drag is taken, so that the zone hears of its moves and its end; whether a
// drop would be taken is decided on each move, and drops are copies, never moves. Mouse: the left
// button only. While the button is held, Qt gives this zone every move and the release, wherever
// the pointer is, so the pointer's leaving and coming back are worked out from the zone's
// rectangle. A pointer that enters is announced on its first move inside, unless the button is
// held in this zone.
class OperationsSectionView : public LayeredDrawingView {
public:
    explicit OperationsSectionView(QWidget* parent = nullptr);

    void setDragDelegate(OperationsSectionViewDragDelegate* delegate) { dragDelegate_ = delegate; }
    void setMouseDelegate(OperationsSectionViewMouseDelegate* delegate) {
        mouseDelegate_ = delegate;
    }
    bool clicking() const { return clicking_; }
    bool dragging() const { return dragging_; }
    bool mouseEnteredCallbackNeedsPerforming() const {
        return mouseEnteredCallbackNeedsPerforming_;
    }
    bool clickable() const { return clickable_; }
    void setClickable(bool clickable) { clickable_ = clickable; }

    // False for the click that activated the application, and for any press on a zone that
    // cannot be clicked.
    bool acceptsFirstMouse(const QMouseEvent* event) const;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void pointerEntered();
    void pointerMoved();
    void pointerExited();
    void draggingEnded();

    OperationsSectionViewDragDelegate* dragDelegate_ = nullptr;
    OperationsSectionViewMouseDelegate* mouseDelegate_ = nullptr;
    bool clicking_ = false;
    bool dragging_ = false;
    bool mouseEnteredCallbackNeedsPerforming_ = false;
    bool clickable_ = false;
    // Where the pointer is as far as this zone has announced it.
    bool pointerInside_ = false;
    // The press was refused; its release is not a click either.
    bool swallowingPress_ = false;
};

} // namespace orlix
