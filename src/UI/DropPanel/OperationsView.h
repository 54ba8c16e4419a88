#pragma once

#include <QPointer>
#include <QWidget>

namespace orlix {

class LayeredDrawingView;
class OperationsViewDelegate;

// The root view of the drop panel. It owns the coloured zone backgrounds: a container with one
// background per zone, put behind everything else of the window's content (or, in a popover,
// inside the frame that draws the popover, over the frame's fill), made anew whenever the panel
// arrives in a window and laid out by its delegate whenever the geometry may have changed.
class OperationsView : public QWidget {
public:
    explicit OperationsView(QWidget* parent = nullptr);
    ~OperationsView() override;

    void setDelegate(OperationsViewDelegate* delegate) { delegate_ = delegate; }
    bool isInPopover() const { return isInPopover_; }
    void setInPopover(bool inPopover) { isInPopover_ = inPopover; }

    QWidget* backgroundView() const { return backgroundView_; }
    LayeredDrawingView* quickOptimizeBackgroundView() const { return quickOptimizeBackgroundView_; }
    LayeredDrawingView* resizeAndOptimizeBackgroundView() const {
        return resizeAndOptimizeBackgroundView_;
    }
    LayeredDrawingView* usePreviousSettingsBackgroundView() const {
        return usePreviousSettingsBackgroundView_;
    }
    bool observingWindow() const { return observingWindow_; }

    void layoutBackgroundViews();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void moveToWindow();
    void startObservingWindow();
    void installBackgroundViews();
    void removeBackgroundViews();
    QWidget* hostView() const;

    OperationsViewDelegate* delegate_ = nullptr;
    bool isInPopover_ = true;
    QPointer<QWidget> backgroundView_;
    QPointer<LayeredDrawingView> quickOptimizeBackgroundView_;
    QPointer<LayeredDrawingView> resizeAndOptimizeBackgroundView_;
    QPointer<LayeredDrawingView> usePreviousSettingsBackgroundView_;
    QPointer<QWidget> observedWindow_;
    QPointer<QWidget> observedHost_;
    bool observingWindow_ = false;
};

} // namespace orlix
