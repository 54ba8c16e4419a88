#pragma once

#include "Platform/Clock.h"

#include <functional>
#include <memory>

class QWidget;

namespace orlix {

// The height of one widget as a value that can be set at once or animated to, in the manner of
// a layout constraint: `constant` is the height the widget has or is animating to. Qt draws the
// frames; the end state and the completion are settled on the main queue after the animation
// duration, by the shared clock, so what follows an animation happens at a defined time, also
// where no animation timer runs. A newer set or animation supersedes a running one, whose
// completion then never runs.
class HeightConstraint {
public:
    explicit HeightConstraint(QWidget* target);
    HeightConstraint(const HeightConstraint&) = delete;
    HeightConstraint& operator=(const HeightConstraint&) = delete;
    ~HeightConstraint();

    int constant() const;
    void setConstant(int height);
    void animateConstant(int height, std::function<void()> completion = {});

    // 0.25 seconds unless changed; tests set zero.
    static Clock::Duration animationDuration();
    static void setAnimationDuration(Clock::Duration duration);

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace orlix
