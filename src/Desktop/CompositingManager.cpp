#include "Desktop/CompositingManager.h"

#include <QByteArray>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace orlix {

namespace {

// The screen number of the display name (":0.1" is screen 1), 0 when it names none.
int screenNumber() {
    const QByteArray display = qgetenv("DISPLAY");
    const auto dot = display.lastIndexOf('.');
    const auto colon = display.lastIndexOf(':');
    return dot > colon ? display.mid(dot + 1).toInt() : 0;
}

} // namespace

bool CompositingManager::isRunning() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) {
        return false;
    }
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screenNumber());
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(connection,
                              xcb_intern_atom(connection, 1, uint16_t(name.size()), name.data()),
                              nullptr),
        &std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE) {
        return false;
    }
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom),
                                      nullptr),
        &std::free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

} // namespace orlix
