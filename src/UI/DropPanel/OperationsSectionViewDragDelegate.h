#pragma once

class QDropEvent;

namespace orlix {

class OperationsSectionView;

// Receives the drags over a drop zone, each with the zone first. The drag's data travels in the
// event; a drag that leaves carries none.
class OperationsSectionViewDragDelegate {
public:
    // The drag operation every entering drag is answered with, taken or not.
    static constexpr int genericDragOperation = 4;

    virtual ~OperationsSectionViewDragDelegate() = default;
    virtual int sectionViewDraggingEntered(OperationsSectionView* view, QDropEvent* info) = 0;
    // Whether a drop here would be taken, asked on every move so that the drag source shows it.
    virtual bool sectionViewDraggingUpdated(OperationsSectionView* view, QDropEvent* info) = 0;
    virtual void sectionViewDraggingExited(OperationsSectionView* view) = 0;
    virtual bool sectionViewPrepareForDragOperation(OperationsSectionView* view,
                                                    QDropEvent* info) = 0;
    virtual bool sectionViewPerformDragOperation(OperationsSectionView* view, QDropEvent* info) = 0;
    virtual void sectionViewDraggingEnded(OperationsSectionView* view) = 0;
};

} // namespace orlix
