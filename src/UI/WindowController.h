#pragma once

namespace orlix {

// A window of Orlix's own that the user opens from the menu (About, Preferences), as the
// application delegate sees it. The program realises them on Qt; tests fake them.
class WindowController {
public:
    virtual ~WindowController() = default;
    // Shows the window in front and activates it: the user asked for it.
    virtual void showWindow() = 0;
    // The window is on screen (minimised counts): closing it hides it.
    virtual bool isWindowVisible() const = 0;
};

} // namespace orlix
