#pragma once

namespace orlix {

// Whether a compositing manager runs on the display, so that see-through windows are shown as
// such. On X11 a compositor owns the selection _NET_WM_CM_S<screen>; elsewhere (the offscreen
// platform in tests) there is none.
class CompositingManager {
public:
    CompositingManager() = delete;

    // Asked afresh on every call: compositors come and go.
    static bool isRunning();
};

} // namespace orlix
