#pragma once

#include "Helper/DragEventSource.h"
#include "Helper/X11ModifierMapping.h"

#include <xcb/xcb.h>

#include <chrono>
#include <memory>

class QSocketNotifier;
class QTimer;

namespace orlix::helper {

// Drags between X11 programs, seen from a connection of the helper's own. Every XDND source takes
// the XdndSelection when its drag starts: each new owner is a new drag, whose files are asked of
// it at once. While the left button is held the pointer is polled (about 60 times a second, which
// works although the source holds the pointer grab); the first poll without the button is the
// release, and polling stops. Idle, it costs nothing.
class X11DragEventSource final : public DragEventSource {
public:
    static constexpr std::chrono::milliseconds kPollInterval{16};
    // A drag whose source has not sent its files by then carries none.
    static constexpr std::chrono::milliseconds kDataTimeout{300};
    // A file list longer than this is not read.
    static constexpr std::uint32_t kMaximumDataBytes = 1024 * 1024;

    // Absent when there is no X display, or it lacks the XFixes extension.
    static std::shared_ptr<X11DragEventSource> open();
    ~X11DragEventSource() override;
    X11DragEventSource(const X11DragEventSource&) = delete;
    X11DragEventSource& operator=(const X11DragEventSource&) = delete;

    void setHandlers(Handlers handlers) override;
    std::int64_t changeCount() const override { return changeCount_; }
    std::vector<Url> draggedFileURLs() const override { return fileURLs_; }
    ScreenPoint mouseLocation() const override { return location_; }

private:
    struct Atoms {
        xcb_atom_t selection = XCB_NONE;
        xcb_atom_t uriList = XCB_NONE;
        xcb_atom_t typeList = XCB_NONE;
        xcb_atom_t incremental = XCB_NONE;
        xcb_atom_t property = XCB_NONE;
    };

    explicit X11DragEventSource(xcb_connection_t* connection, xcb_window_t root);
    bool setUp();
    xcb_atom_t atom(const char* name);
    void drainEvents();
    void handle(const xcb_generic_event_t* event);
    void dragStarted(xcb_window_t owner, xcb_timestamp_t time);
    bool offersFiles(xcb_window_t owner);
    void dataArrived(const xcb_selection_notify_event_t& event);
    void readData();
    void poll();
    void refreshModifierMapping();
    void stopPolling();

    xcb_connection_t* connection_;
    xcb_window_t root_;
    xcb_window_t window_ = XCB_NONE;
    Atoms atoms_;
    std::uint8_t xfixesFirstEvent_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<QTimer> pollTimer_;
    Handlers handlers_;
    X11ModifierMapping modifierMapping_;
    std::int64_t changeCount_ = 0;
    std::vector<Url> fileURLs_;
    // The drag whose files are awaited, by the time its source took the selection.
    bool awaitingData_ = false;
    xcb_timestamp_t dataTime_ = XCB_CURRENT_TIME;
    std::chrono::steady_clock::time_point dataDeadline_;
    ScreenPoint location_;
};

} // namespace orlix::helper
