#include "UI/ExportSettings/AnimatedConstraintTabViewController.h"

#include "UI/ExportSettings/HeightConstraint.h"
#include "UI/ExportSettings/WindowEditing.h"

namespace orlix {

AnimatedConstraintTabViewController::AnimatedConstraintTabViewController(QWidget* parent)
    : QStackedWidget(parent) {}

void AnimatedConstraintTabViewController::viewDidLoad() {
    for (int index = 0; index < count(); ++index) {
        tabViewItemHeights_.push_back(widget(index)->sizeHint().height());
    }
}

std::optional<int> AnimatedConstraintTabViewController::tabHeight(int index) const {
    if (index < 0) {
        return std::nullopt;
    }
    if (std::size_t(index) < tabViewItemHeights_.size()) {
        return tabViewItemHeights_[std::size_t(index)];
    }
    if (index < count()) {
        return widget(index)->height();
    }
    return std::nullopt;
}

void AnimatedConstraintTabViewController::animateToTab(int index,
                                                       HeightConstraint& heightConstraint) {
    if (animatingToIndex_ == index) {
        return;
    }
    // A request while a grow is pending replaces it, also when it asks for the tab still shown:
    // otherwise the grow would switch to its tab after all and leave the owner's radio on this
    // one.
    const bool growPending = animatingToIndex_.has_value();
    if (!growPending && heightInitialized_ && currentIndex() == index) {
        return;
    }
    const auto height = tabHeight(index);
    if (!height) {
        return;
    }
    animatingToIndex_.reset();
    endEditing(this);
    heightInitialized_ = true;
    const int current = heightConstraint.constant();
    if (*height > current && viewOnscreen_) {
        animatingToIndex_ = index;
        heightConstraint.animateConstant(*height, [this, index] {
            setCurrentIndex(index);
            animatingToIndex_.reset();
        });
        return;
    }
    setCurrentIndex(index);
    if (viewOnscreen_) {
        heightConstraint.animateConstant(*height);
    } else {
        heightConstraint.setConstant(*height);
    }
}

void AnimatedConstraintTabViewController::showEvent(QShowEvent* event) {
    viewOnscreen_ = true;
    QStackedWidget::showEvent(event);
}

void AnimatedConstraintTabViewController::hideEvent(QHideEvent* event) {
    viewOnscreen_ = false;
    QStackedWidget::hideEvent(event);
}

} // namespace orlix
