#include "UI/DropPanel/OperationsSectionView.h"

#include "UI/Common/ApplicationActivatedClickEventDetector.h"
#include "UI/DropPanel/OperationsSectionViewDragDelegate.h"
#include "UI/DropPanel/OperationsSectionViewMouseDelegate.h"

#include <QDragEnterEvent>
#include <QMouseEvent>

namespace orlix {

OperationsSectionView::OperationsSectionView(QWidget* parent)
    : LayeredDrawingView(parent) {
    setAcceptDrops(true);
    setMouseTracking(true);
}

bool OperationsSectionView::acceptsFirstMouse(const QMouseEvent* event) const {
    return clickable_ &&
           !(event && ApplicationActivatedClickEventDetector::isActivationClick(event));
}

void OperationsSectionView::dragEnterEvent(QDragEnterEvent* event) {
    dragging_ = true;
    mouseEnteredCallbackNeedsPerforming_ = false;
    if (dragDelegate_) {
        dragDelegate_->sectionViewDraggingEntered(this, event);
    }
    // Copy only: a file manager asked to move would delete the user's files.
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void OperationsSectionView::dragMoveEvent(QDragMoveEvent* event) {
    if (dragDelegate_ && dragDelegate_->sectionViewDraggingUpdated(this, event)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void OperationsSectionView::dragLeaveEvent(QDragLeaveEvent*) {
    dragging_ = false;
    if (dragDelegate_) {
        dragDelegate_->sectionViewDraggingExited(this);
    }
}

void OperationsSectionView::dropEvent(QDropEvent* event) {
    const bool taken = dragDelegate_ &&
                       dragDelegate_->sectionViewPrepareForDragOperation(this, event) &&
                       dragDelegate_->sectionViewPerformDragOperation(this, event);
    if (taken) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
    draggingEnded();
}

void OperationsSectionView::draggingEnded() {
    dragging_ = false;
    if (dragDelegate_) {
        dragDelegate_->sectionViewDraggingEnded(this);
    }
}

void OperationsSectionView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !clickable_) {
        event->ignore();
        return;
    }
    event->accept();
    if (!acceptsFirstMouse(event)) {
        swallowingPress_ = true;
        return;
    }
    clicking_ = true;
    pointerInside_ = true;
    if (mouseDelegate_) {
        mouseDelegate_->sectionViewMouseDown(this);
    }
}

void OperationsSectionView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (swallowingPress_) {
        swallowingPress_ = false;
        return;
    }
    if (!clickable_ || !clicking_) {
        return;
    }
    clicking_ = false;
    if (mouseDelegate_) {
        mouseDelegate_->sectionViewMouseUp(this);
    }
}

void OperationsSectionView::mouseMoveEvent(QMouseEvent* event) {
    if (clicking_) {
        const bool inside = rect().contains(event->position().toPoint());
        if (inside && !pointerInside_) {
            pointerEntered();
        } else if (!inside && pointerInside_) {
            pointerExited();
        }
        return;
    }
    if (!pointerInside_) {
        pointerEntered();
    }
    pointerMoved();
}

void OperationsSectionView::enterEvent(QEnterEvent*) {
    if (!pointerInside_) {
        pointerEntered();
    }
}

void OperationsSectionView::leaveEvent(QEvent*) {
    if (pointerInside_ && !clicking_) {
        pointerExited();
    }
}

void OperationsSectionView::pointerEntered() {
    pointerInside_ = true;
    if (!clicking_) {
        mouseEnteredCallbackNeedsPerforming_ = true;
        return;
    }
    if (mouseDelegate_) {
        mouseDelegate_->sectionViewMouseEntered(this);
    }
}

void OperationsSectionView::pointerMoved() {
    if (mouseEnteredCallbackNeedsPerforming_ && clickable_ && mouseDelegate_) {
        mouseDelegate_->sectionViewMouseEntered(this);
    }
    mouseEnteredCallbackNeedsPerforming_ = false;
    if (clickable_ && mouseDelegate_) {
        mouseDelegate_->sectionViewMouseMoved(this);
    }
}

void OperationsSectionView::pointerExited() {
    pointerInside_ = false;
    if (clickable_ && mouseDelegate_) {
        mouseDelegate_->sectionViewMouseExited(this);
    }
}

} // namespace orlix
