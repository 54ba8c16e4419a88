#pragma once

namespace orlix {

class LayeredDrawingView;

// Places and colours the zone backgrounds of a drop panel; the panel's controller.
class OperationsViewDelegate {
public:
    virtual ~OperationsViewDelegate() = default;
    virtual void layoutQuickOptimizeBackgroundView(LayeredDrawingView* view) = 0;
    virtual void layoutResizeAndOptimizeBackgroundView(LayeredDrawingView* view) = 0;
    virtual void layoutUsePreviousSettingsBackgroundView(LayeredDrawingView* view) = 0;
};

} // namespace orlix
