#include "UI/ExportSettings/HeightConstraint.h"

#include "Platform/MainQueue.h"

#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>

#include <chrono>

namespace orlix {

namespace {

Clock::Duration sharedDuration = std::chrono::milliseconds(250);

} // namespace

struct HeightConstraint::State {
    QPointer<QWidget> target;
    int constant = 0;
    // Tells a pending completion whether it has been superseded.
    unsigned generation = 0;
    QPointer<QVariantAnimation> animation;

    void stopAnimation() {
        ++generation;
        if (animation) {
            animation->stop();
            delete animation.data();
        }
    }

    void apply(int height) {
        constant = height;
        if (target) {
            target->setFixedHeight(height);
        }
    }
};

HeightConstraint::HeightConstraint(QWidget* target)
    : state_(std::make_shared<State>()) {
    state_->target = target;
    state_->constant = target ? target->height() : 0;
}

HeightConstraint::~HeightConstraint() {
    state_->stopAnimation();
}

int HeightConstraint::constant() const {
    return state_->constant;
}

void HeightConstraint::setConstant(int height) {
    state_->stopAnimation();
    state_->apply(height);
}

void HeightConstraint::animateConstant(int height, std::function<void()> completion) {
    state_->stopAnimation();
    const int from = state_->target ? state_->target->height() : state_->constant;
    state_->constant = height;
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(sharedDuration).count();
    if (state_->target && milliseconds > 0) {
        auto* animation = new QVariantAnimation(state_->target);
        animation->setDuration(int(milliseconds));
        animation->setStartValue(from);
        animation->setEndValue(height);
        animation->setEasingCurve(QEasingCurve::InOutQuad);
        QObject::connect(animation, &QVariantAnimation::valueChanged,
                         [target = state_->target](const QVariant& value) {
                             if (target) {
                                 target->setFixedHeight(value.toInt());
                             }
                         });
        state_->animation = animation;
        animation->start();
    }
    MainQueue::asyncAfter(sharedDuration,
                          [weak = std::weak_ptr<State>(state_), generation = state_->generation,
                           height, completion = std::move(completion)] {
                              const auto state = weak.lock();
                              if (!state || state->generation != generation) {
                                  return;
                              }
                              state->stopAnimation();
                              state->apply(height);
                              if (completion) {
                                  completion();
                              }
                          });
}

Clock::Duration HeightConstraint::animationDuration() {
    return sharedDuration;
}

void HeightConstraint::setAnimationDuration(Clock::Duration duration) {
    sharedDuration = duration;
}

} // namespace orlix
