#pragma once

#include "Platform/Url.h"
#include "UI/Common/AppearanceChangedObserver.h"
#include "UI/DropPanel/OperationsSectionView.h"
#include "UI/DropPanel/OperationsSectionViewDragDelegate.h"
#include "UI/DropPanel/OperationsSectionViewMouseDelegate.h"
#include "UI/DropPanel/OperationsView.h"
#include "UI/DropPanel/OperationsViewDelegate.h"
#include "UI/DropPanel/WindowDragTracker.h"

#include <QColor>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QMimeData;
class QWidget;

namespace orlix {

class ApplicationActivationObserver;

// Drives the three-zone drop panel: quick optimize in the left column, resize and optimize top
// right, use previous settings bottom right. It keeps one small state (which zone is active and
// how), turns each change of it into the zone backgrounds, separators, label colours and cursor,
// and reports drops and clicks to its host through callbacks. It does no file work: a drop hands
// the dropped file URLs to the zone's callback, on the next turn of the main queue so that the
// callback may run a dialog; a click calls the zone's clicked callback. Main thread only.
//
// A host creates the controller, sets `isInPopover` before the view loads, sets the callbacks and
// shows view(); it sets `isInBackground` while the application is not active.
class OperationsViewController : public QObject,
                                 public OperationsViewDelegate,
                                 public OperationsSectionViewDragDelegate,
                                 public OperationsSectionViewMouseDelegate {
public:
    enum class OperationsViewType { none, quickOptimize, resizeAndOptimize, usePreviousSettings };
    enum class OperationsMouseState { none, drag, hover, click };
    struct State {
        OperationsViewType viewType = OperationsViewType::none;
        OperationsMouseState mouseState = OperationsMouseState::none;
        bool operator==(const State&) const = default;
    };
    static constexpr State initialState() { return {}; }
    static constexpr double separatorWidth = 1.0;
    static constexpr double separatorMargin = 10.0;

    using DropCallback = std::function<void(const std::vector<Url>&)>;
    using ClickedCallback = std::function<void()>;

    OperationsViewController();
    ~OperationsViewController() override;

    // Loads the view on first use; the controller owns it until a host takes it into a window.
    QWidget* view();
    bool isViewLoaded() const { return operationsView_ != nullptr; }

    OperationsView* operationsView() const;
    OperationsSectionView* quickOptimizeView() const;
    OperationsSectionView* resizeAndOptimizeView() const;
    OperationsSectionView* usePreviousSettingsView() const;

    std::function<void(OperationsViewController&)> controllerStartedDragCallback;
    // Asked, with the drag's data, before a drag is taken; none takes every drag.
    std::function<bool(const QMimeData*)> isDragAcceptedCallback;
    DropCallback quickOptimizeCallback;
    DropCallback resizeAndOptimizeCallback;
    DropCallback usePreviousSettingsCallback;

    // A zone without a clicked callback is not clickable: it never hovers or clicks.
    void setQuickOptimizeClickedCallback(ClickedCallback callback);
    void setResizeAndOptimizeClickedCallback(ClickedCallback callback);
    void setUsePreviousSettingsClickedCallback(ClickedCallback callback);

    bool isInPopover() const { return isInPopover_; }
    void setInPopover(bool inPopover) { isInPopover_ = inPopover; }
    bool isInBackground() const { return isInBackground_; }
    void setInBackground(bool inBackground);

    const State& state() const { return state_; }
    void setState(State state);
    bool dragging() const { return dragging_; }
    bool isAnySectionClicking() const;
    OperationsViewType viewType(const OperationsSectionView* view) const;

    virtual void updateClickability();

    void layoutQuickOptimizeBackgroundView(LayeredDrawingView* view) override;
    void layoutResizeAndOptimizeBackgroundView(LayeredDrawingView* view) override;
    void layoutUsePreviousSettingsBackgroundView(LayeredDrawingView* view) override;

    int sectionViewDraggingEntered(OperationsSectionView* view, QDropEvent* info) override;
    bool sectionViewDraggingUpdated(OperationsSectionView* view, QDropEvent* info) override;
    void sectionViewDraggingExited(OperationsSectionView* view) override;
    bool sectionViewPrepareForDragOperation(OperationsSectionView* view, QDropEvent* info) override;
    bool sectionViewPerformDragOperation(OperationsSectionView* view, QDropEvent* info) override;
    void sectionViewDraggingEnded(OperationsSectionView* view) override;

    void sectionViewMouseDown(OperationsSectionView* view) override;
    void sectionViewMouseUp(OperationsSectionView* view) override;
    void sectionViewMouseEntered(OperationsSectionView* view) override;
    void sectionViewMouseMoved(OperationsSectionView* view) override;
    void sectionViewMouseExited(OperationsSectionView* view) override;

protected:
    // The panel's look and sizes; the large panel of the drop window has its own.
    struct Layout {
        int width;
        int height;
        int leftColumnWidth;
        int titlePointSize;
        int hintPointSize;
    };
    static Layout popoverLayout() { return {360, 168, 180, 12, 9}; }

    // Builds the view and its zones, the stand-in for the controller's interface file.
    virtual void loadView();
    void buildView(const Layout& layout);
    virtual void viewDidLoad();
    virtual void viewDidAppear();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    void updateVisuals(OperationsViewType viewType, OperationsMouseState mouseState,
                       bool isInBackground);
    void updateSeparators(OperationsViewType viewType, OperationsMouseState mouseState);
    void updateLabelColors(OperationsViewType viewType, OperationsMouseState mouseState,
                           bool isInBackground);
    void updateCursor(OperationsMouseState mouseState);
    void setMouseState(OperationsMouseState mouseState, OperationsSectionView* view);
    void layoutBackgroundView(LayeredDrawingView* view, OperationsViewType zone);
    QColor backgroundColor(OperationsViewType zone) const;
    bool isDragAccepted(const QDropEvent* info) const;
    void dragLeftWindow();
    const ClickedCallback& clickedCallback(OperationsViewType zone) const;
    const DropCallback& dropCallback(OperationsViewType zone) const;
    OperationsSectionView* zoneView(OperationsViewType zone) const;

    QPointer<OperationsView> operationsView_;
    QPointer<OperationsSectionView> quickOptimizeView_;
    QPointer<OperationsSectionView> resizeAndOptimizeView_;
    QPointer<OperationsSectionView> usePreviousSettingsView_;
    ClickedCallback quickOptimizeClickedCallback_;
    ClickedCallback resizeAndOptimizeClickedCallback_;
    ClickedCallback usePreviousSettingsClickedCallback_;
    bool isInPopover_ = true;
    bool isInBackground_ = false;
    bool dragging_ = false;
    State state_;
    WindowDragTracker windowDragTracker_;
    std::unique_ptr<ApplicationActivationObserver> activationObserver_;
    std::optional<AppearanceChangedObserver> appearanceChangedObserver_;
};

} // namespace orlix
