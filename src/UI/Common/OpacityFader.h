#pragma once

#include "Platform/Clock.h"

#include <functional>

class QWidget;

namespace orlix {

// Fades widgets in and out. A Qt animation draws the frames, but the end state is settled on the
// main queue after the duration, by the shared clock, so what follows a fade (hiding a window
// that would otherwise still take clicks, removing a view) happens at a defined time even where
// no animation timer runs. A newer fade of the same widget supersedes an older one.
class OpacityFader {
public:
    OpacityFader() = delete;

    // `finished` runs once the widget has reached `opacity`, unless another fade came first.
    static void fade(QWidget* widget, double opacity, Clock::Duration duration,
                     std::function<void()> finished = {});
    // Fades a window; faded out, it is hidden, since on X11 a see-through window still takes
    // clicks and without a compositor it would not even look transparent.
    static void fadeWindow(QWidget* window, double opacity, Clock::Duration duration,
                           std::function<void()> finished = {});
    // Sets the opacity at once; a fade under way ends without its completion.
    static void set(QWidget* widget, double opacity);
    // Shows a hidden widget from transparent.
    static void fadeIn(QWidget* widget, Clock::Duration duration);
    // The opacity the widget has or is fading to; 1 for a widget never faded.
    static double targetOpacity(const QWidget* widget);
};

} // namespace orlix
