#include "UI/Common/OpacityFader.h"

#include "Platform/MainQueue.h"

#include <QGraphicsOpacityEffect>
#include <QPointer>
#include <QPropertyAnimation>
#include <QVariant>
#include <QWidget>

#include <chrono>

namespace orlix {

namespace {

constexpr const char* generationProperty = "orlixFadeGeneration";
constexpr const char* targetProperty = "orlixFadeTarget";
constexpr const char* animationName = "orlixFade";

QGraphicsOpacityEffect* opacityEffect(QWidget* widget) {
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(widget->graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(widget);
        effect->setOpacity(1.0);
        effect->setEnabled(false);
        widget->setGraphicsEffect(effect);
    }
    return effect;
}

// Windows fade as a whole; anything inside through a graphics effect.
QObject* animatedObject(QWidget* widget) {
    return widget->isWindow() ? static_cast<QObject*>(widget) : opacityEffect(widget);
}

void stopAnimation(QWidget* widget) {
    if (auto* animation = animatedObject(widget)->findChild<QPropertyAnimation*>(
            animationName, Qt::FindDirectChildrenOnly)) {
        animation->stop();
        delete animation;
    }
}

bool isFading(const QWidget* widget) {
    const auto* effect = qobject_cast<const QGraphicsOpacityEffect*>(widget->graphicsEffect());
    return effect && effect->isEnabled();
}

void setOpacity(QWidget* widget, double opacity) {
    stopAnimation(widget);
    if (widget->isWindow()) {
        widget->setWindowOpacity(opacity);
        return;
    }
    auto* effect = opacityEffect(widget);
    effect->setOpacity(opacity);
    // An opacity effect at full opacity still renders through an offscreen buffer, which blurs
    // text on some scales.
    effect->setEnabled(opacity < 1.0);
}

double currentOpacity(QWidget* widget) {
    return widget->isWindow() ? widget->windowOpacity() : opacityEffect(widget)->opacity();
}

// Qt cannot paint an opacity effect inside another one that is painting: the inner fade ends at
// once instead.
void settleFadingDescendants(QWidget* widget) {
    for (auto* child : widget->findChildren<QWidget*>()) {
        if (isFading(child)) {
            setOpacity(child, OpacityFader::targetOpacity(child));
        }
    }
}

bool hasFadingAncestor(const QWidget* widget) {
    for (auto* parent = widget->parentWidget(); parent && !parent->isWindow();
         parent = parent->parentWidget()) {
        if (isFading(parent)) {
            return true;
        }
    }
    return false;
}

} // namespace

void OpacityFader::fade(QWidget* widget, double opacity, Clock::Duration duration,
                        std::function<void()> finished) {
    if (!widget) {
        return;
    }

    const int generation = widget->property(generationProperty).toInt() + 1;
    widget->setProperty(generationProperty, generation);
    widget->setProperty(targetProperty, opacity);
    stopAnimation(widget);
    if (!widget->isWindow() && hasFadingAncestor(widget)) {
        setOpacity(widget, opacity);
    } else {
        settleFadingDescendants(widget);
        QObject* target = animatedObject(widget);
        if (!widget->isWindow()) {
            opacityEffect(widget)->setEnabled(true);
        }
        auto* animation = new QPropertyAnimation(
            target, widget->isWindow() ? QByteArrayLiteral("windowOpacity") : "opacity", target);
        animation->setObjectName(animationName);
        animation->setDuration(
            int(std::chrono::duration_cast<std::chrono::milliseconds>(duration).count()));
        animation->setStartValue(currentOpacity(widget));
        animation->setEndValue(opacity);
        animation->start();
    }

    MainQueue::asyncAfter(duration, [weakWidget = QPointer<QWidget>(widget), generation, opacity,
                                     finished = std::move(finished)] {
        if (!weakWidget || weakWidget->property(generationProperty).toInt() != generation) {
            return;
        }
        setOpacity(weakWidget, opacity);
        if (finished) {
            finished();
        }
    });
}

void OpacityFader::fadeWindow(QWidget* window, double opacity, Clock::Duration duration,
                              std::function<void()> finished) {
    fade(window, opacity, duration,
         [weakWindow = QPointer<QWidget>(window), opacity, finished = std::move(finished)] {
             if (weakWindow && opacity == 0.0) {
                 weakWindow->hide();
             }
             if (finished) {
                 finished();
             }
         });
}

void OpacityFader::set(QWidget* widget, double opacity) {
    if (!widget) {
        return;
    }
    widget->setProperty(generationProperty, widget->property(generationProperty).toInt() + 1);
    widget->setProperty(targetProperty, opacity);
    setOpacity(widget, opacity);
}

void OpacityFader::fadeIn(QWidget* widget, Clock::Duration duration) {
    if (!widget) {
        return;
    }
    if (widget->isHidden()) {
        setOpacity(widget, 0.0);
        widget->show();
    }
    fade(widget, 1.0, duration);
}

double OpacityFader::targetOpacity(const QWidget* widget) {
    const auto target = widget ? widget->property(targetProperty) : QVariant();
    return target.isValid() ? target.toDouble() : 1.0;
}

} // namespace orlix
