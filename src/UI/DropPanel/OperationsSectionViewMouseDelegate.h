#pragma once

namespace orlix {

class OperationsSectionView;

// Receives the left-button presses and the pointer's comings and goings over a clickable drop
// zone, each with the zone first.
class OperationsSectionViewMouseDelegate {
public:
    virtual ~OperationsSectionViewMouseDelegate() = default;
    virtual void sectionViewMouseDown(OperationsSectionView* view) = 0;
    virtual void sectionViewMouseUp(OperationsSectionView* view) = 0;
    virtual void sectionViewMouseEntered(OperationsSectionView* view) = 0;
    virtual void sectionViewMouseMoved(OperationsSectionView* view) = 0;
    virtual void sectionViewMouseExited(OperationsSectionView* view) = 0;
};

} // namespace orlix
