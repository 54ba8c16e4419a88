#pragma once

class QWidget;

namespace orlix {

// How Orlix puts its windows on screen. Raising or activating a window makes Orlix the active
// application, which the user did not ask for when Orlix works in the background (and which
// would suppress the desktop notification at the end of a run); dialogs that need an answer are
// the exception.
class WindowPresentation {
public:
    WindowPresentation() = delete;

    // Shows the window in front, with the keyboard, while Orlix is active; shown without raising
    // or activating it otherwise.
    static void orderFront(QWidget* window);
    // Shows, raises and activates the window: the user asked for Orlix.
    static void activate(QWidget* window);
    // Prepares a dialog that needs an answer: it stays above Orlix's floating windows and is
    // activated when shown.
    static void prepareDialog(QWidget* dialog);
};

} // namespace orlix
