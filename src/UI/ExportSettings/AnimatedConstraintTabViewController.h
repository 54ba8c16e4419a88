#pragma once

#include <QStackedWidget>

#include <optional>
#include <vector>

namespace orlix {

class HeightConstraint;

// Shows one of its tabs (pages without tab bar) inside a container whose height the owning pane
// holds, and animates that height to the natural height of the tab being switched to. Growing,
// the height animates first and the tab switches when it has grown; shrinking, the tab switches
// first. Nothing animates while the container is not shown. Main thread only.
class AnimatedConstraintTabViewController : public QStackedWidget {
public:
    // The natural height of tab `index`: recorded when the tabs were made, else the tab's
    // current height; absent beyond the tabs.
    std::optional<int> tabHeight(int index) const;
    void animateToTab(int index, HeightConstraint& heightConstraint);

    bool isViewOnscreen() const { return viewOnscreen_; }
    // The tab a running grow will switch to.
    std::optional<int> animatingToIndex() const { return animatingToIndex_; }

protected:
    explicit AnimatedConstraintTabViewController(QWidget* parent = nullptr);

    // Records the heights of the tabs added so far; subclasses call it once, after their tabs.
    void viewDidLoad();

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool viewOnscreen_ = false;
    std::optional<int> animatingToIndex_;
    bool heightInitialized_ = false;
    std::vector<int> tabViewItemHeights_;
};

} // namespace orlix
