#include "Helper/X11DragEventSource.h"

#include "Shared/UriList.h"

#include <xcb/xfixes.h>

#include <QGuiApplication>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace orlix::helper {

namespace {

// Replies and events of xcb are malloc'ed; each is freed by its owner.
struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T> using Owned = std::unique_ptr<T, FreeDeleter>;

template <typename T> Owned<T> owned(T* pointer) {
    return Owned<T>(pointer);
}

double devicePixelRatio() {
    const auto* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

} // namespace

std::shared_ptr<X11DragEventSource> X11DragEventSource::open() {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int index = 0; index < screenNumber && screens.rem > 0; ++index) {
        xcb_screen_next(&screens);
    }
    std::shared_ptr<X11DragEventSource> source(
        new X11DragEventSource(connection, screens.data->root));
    return source->setUp() ? source : nullptr;
}

X11DragEventSource::X11DragEventSource(xcb_connection_t* connection, xcb_window_t root)
    : connection_(connection)
    , root_(root)
    , pollTimer_(std::make_unique<QTimer>()) {
    pollTimer_->setInterval(kPollInterval);
    QObject::connect(pollTimer_.get(), &QTimer::timeout, [this] { poll(); });
}

X11DragEventSource::~X11DragEventSource() {
    notifier_.reset();
    pollTimer_.reset();
    xcb_disconnect(connection_);
}

bool X11DragEventSource::setUp() {
    const auto* extension = xcb_get_extension_data(connection_, &xcb_xfixes_id);
    if (!extension || !extension->present) {
        return false;
    }
    xfixesFirstEvent_ = extension->first_event;
    // Without agreeing on a version first, the server refuses the selection input below.
    const auto version = owned(xcb_xfixes_query_version_reply(
        connection_, xcb_xfixes_query_version(connection_, 5, 0), nullptr));
    if (!version) {
        return false;
    }
    atoms_ = {atom("XdndSelection"), atom("text/uri-list"), atom("XdndTypeList"), atom("INCR"),
              atom("_ORLIX_HELPER_DRAG_DATA")};
    // The selection's data is delivered to a window: one that is never shown.
    window_ = xcb_generate_id(connection_);
    const std::uint32_t overrideRedirect = 1;
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, root_, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT,
                      &overrideRedirect);
    xcb_xfixes_select_selection_input(connection_, root_, atoms_.selection,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(connection_);
    if (xcb_connection_has_error(connection_) || atoms_.selection == XCB_NONE) {
        return false;
    }
    refreshModifierMapping();
    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_),
                                                  QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { drainEvents(); });
    return true;
}

xcb_atom_t X11DragEventSource::atom(const char* name) {
    const auto reply = owned(xcb_intern_atom_reply(
        connection_,
        xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : XCB_NONE;
}

void X11DragEventSource::setHandlers(Handlers handlers) {
    handlers_ = std::move(handlers);
}

// Every wait for a reply moves the events that came before it into xcb's own queue, where the
// socket notifier never sees them: they are drained after each such wait too.
void X11DragEventSource::drainEvents() {
    while (const auto event = owned(xcb_poll_for_event(connection_))) {
        handle(event.get());
    }
    if (xcb_connection_has_error(connection_)) {
        notifier_->setEnabled(false);
        stopPolling();
    }
}

void X11DragEventSource::handle(const xcb_generic_event_t* event) {
    const auto type = event->response_type & 0x7f;
    if (type == xfixesFirstEvent_ + XCB_XFIXES_SELECTION_NOTIFY) {
        const auto& notify = *reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
        // An owner of None is a source that let go at its drop or cancel; the poll sees that end.
        if (notify.subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER &&
            notify.owner != XCB_NONE && notify.owner != window_) {
            dragStarted(notify.owner, notify.selection_timestamp);
        }
    } else if (type == XCB_SELECTION_NOTIFY) {
        dataArrived(*reinterpret_cast<const xcb_selection_notify_event_t*>(event));
    } else if (type == XCB_MAPPING_NOTIFY) {
        refreshModifierMapping();
    }
}

void X11DragEventSource::dragStarted(xcb_window_t owner, xcb_timestamp_t time) {
    ++changeCount_;
    fileURLs_.clear();
    awaitingData_ = offersFiles(owner);
    if (awaitingData_) {
        // The time must be the one the source took the selection with: some sources answer only
        // that, and only while their drag runs.
        dataTime_ = time;
        dataDeadline_ = std::chrono::steady_clock::now() + kDataTimeout;
        xcb_convert_selection(connection_, window_, atoms_.selection, atoms_.uriList,
                              atoms_.property, time);
        xcb_flush(connection_);
    }
    if (!pollTimer_->isActive()) {
        pollTimer_->start();
    }
}

// A source that lists its types and leaves out the file list is no file drag. Many sources list
// their types only when they have more than three, so a missing list says nothing.
bool X11DragEventSource::offersFiles(xcb_window_t owner) {
    const auto reply = owned(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, owner, atoms_.typeList, XCB_ATOM_ATOM, 0, 256), nullptr));
    if (!reply || reply->type != XCB_ATOM_ATOM || reply->format != 32) {
        return true;
    }
    const auto* types = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const auto count = xcb_get_property_value_length(reply.get()) / 4;
    return std::find(types, types + count, atoms_.uriList) != types + count;
}

void X11DragEventSource::dataArrived(const xcb_selection_notify_event_t& event) {
    if (!awaitingData_ || event.requestor != window_ || event.selection != atoms_.selection ||
        event.time != dataTime_) {
        return;
    }
    awaitingData_ = false;
    // No property: the source has no file list (a drag of text, say).
    if (event.property != XCB_NONE) {
        readData();
    }
}

void X11DragEventSource::readData() {
    const auto reply = owned(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 1, window_, atoms_.property, XCB_GET_PROPERTY_TYPE_ANY, 0,
                         kMaximumDataBytes / 4),
        nullptr));
    // A list sent in pieces or cut by the limit is too long to take whole: better no panel than
    // one that drops some of the files.
    if (!reply || reply->type == atoms_.incremental || reply->format != 8 ||
        reply->bytes_after > 0) {
        return;
    }
    const std::string_view text(
        static_cast<const char*>(xcb_get_property_value(reply.get())),
        static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
    fileURLs_ = UriList::fileUrls(text);
}

void X11DragEventSource::poll() {
    drainEvents();
    if (awaitingData_ && std::chrono::steady_clock::now() >= dataDeadline_) {
        awaitingData_ = false;
    }
    const auto pointer =
        owned(xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, root_), nullptr));
    if (!pointer) {
        drainEvents();
        return;
    }
    const double ratio = devicePixelRatio();
    location_ = {pointer->root_x / ratio, pointer->root_y / ratio};
    if ((pointer->mask & XCB_BUTTON_MASK_1) == 0) {
        stopPolling();
        if (handlers_.leftMouseUp) {
            handlers_.leftMouseUp();
        }
    } else if (!awaitingData_ && handlers_.leftMouseDragged) {
        // Held back until the files are known, so that the start of a drag sees them.
        handlers_.leftMouseDragged(modifierMapping_.keysOfState(pointer->mask));
    }
    drainEvents();
}

void X11DragEventSource::refreshModifierMapping() {
    const auto modifiers = owned(xcb_get_modifier_mapping_reply(
        connection_, xcb_get_modifier_mapping(connection_), nullptr));
    const auto* setup = xcb_get_setup(connection_);
    const auto firstKeycode = setup->min_keycode;
    const auto keycodeCount = static_cast<std::uint8_t>(setup->max_keycode - firstKeycode + 1);
    const auto keyboard = owned(xcb_get_keyboard_mapping_reply(
        connection_, xcb_get_keyboard_mapping(connection_, firstKeycode, keycodeCount), nullptr));
    if (!modifiers || !keyboard) {
        return;
    }
    X11ModifierMapping::ModifierRows rows;
    const auto* keycodes = xcb_get_modifier_mapping_keycodes(modifiers.get());
    const auto perRow = modifiers->keycodes_per_modifier;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        rows[row].assign(keycodes + row * perRow, keycodes + (row + 1) * perRow);
    }
    const auto* keysyms = xcb_get_keyboard_mapping_keysyms(keyboard.get());
    const auto keysymCount = xcb_get_keyboard_mapping_keysyms_length(keyboard.get());
    const auto perKeycode = keyboard->keysyms_per_keycode;
    modifierMapping_ = X11ModifierMapping::fromServer(rows, [&](std::uint8_t keycode) {
        std::vector<std::uint32_t> symbols;
        if (keycode < firstKeycode) {
            return symbols;
        }
        const auto start = static_cast<std::size_t>(keycode - firstKeycode) * perKeycode;
        for (std::size_t index = start;
             index < start + perKeycode && index < static_cast<std::size_t>(keysymCount); ++index) {
            symbols.push_back(keysyms[index]);
        }
        return symbols;
    });
}

void X11DragEventSource::stopPolling() {
    pollTimer_->stop();
}

} // namespace orlix::helper
