#include "backends/x11/x11_screen_changes.h"

#include <xcb/randr.h>

#include <utility>

#include "backends/x11/x11_event_mask.h"

namespace vantile {
namespace {

// The root's own size and configuration. Never SubstructureRedirect: that is the window
// manager's, and asking for it would fail or, without one running, stand in its place.
constexpr std::uint32_t kRootEvents = XCB_EVENT_MASK_STRUCTURE_NOTIFY;

constexpr std::uint16_t kRandrScreenEvents = XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE;
constexpr std::uint16_t kRandrEvents = XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE |
                                       XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                       XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE;

constexpr std::uint8_t kEventTypeMask = 0x7f;

} // namespace

X11ScreenChanges::X11ScreenChanges(X11Connection& connection) : connection_(connection) {
    subscription_ = connection_.addEventHandler(
        [this](const xcb_generic_event_t& event) { onEvent(event); }, [this] { onDrained(); });
    selectRootEvents();
    connection_.flush();
}

void X11ScreenChanges::setHandler(std::function<void()> handler) {
    handler_ = std::move(handler);
}

void X11ScreenChanges::selectRootEvents() {
    const xcb_query_extension_reply_t* randr =
        xcb_get_extension_data(connection_.raw(), &xcb_randr_id);
    if (randr != nullptr && randr->present != 0) {
        hasRandr_ = true;
        randrFirstEvent_ = randr->first_event;
        // CRTC and output notifications came with RandR 1.2, which every server that offers
        // monitors has; without monitors the root's size is all that counts.
        const std::uint16_t mask =
            connection_.hasRandrMonitors() ? kRandrEvents : kRandrScreenEvents;
        xcb_randr_select_input(connection_.raw(), connection_.root(), mask);
    }
    addEventMask(connection_, {connection_.root()}, kRootEvents);
}

void X11ScreenChanges::onEvent(const xcb_generic_event_t& event) {
    if ((event.response_type & kEventTypeMask) == XCB_CONFIGURE_NOTIFY) {
        // Other parts of the program may hear windows' moves on this connection too; only the
        // root's own configuration counts.
        if (reinterpret_cast<const xcb_configure_notify_event_t&>(event).window ==
            connection_.root()) {
            changed_ = true;
        }
        return;
    }
    changed_ = changed_ || isRandrChange(event);
}

bool X11ScreenChanges::isRandrChange(const xcb_generic_event_t& event) const {
    if (!hasRandr_) {
        return false;
    }
    const int offset = (event.response_type & kEventTypeMask) - randrFirstEvent_;
    if (offset == XCB_RANDR_SCREEN_CHANGE_NOTIFY) {
        return true;
    }
    if (offset != XCB_RANDR_NOTIFY) {
        return false;
    }
    const std::uint8_t kind = reinterpret_cast<const xcb_randr_notify_event_t&>(event).subCode;
    return kind == XCB_RANDR_NOTIFY_CRTC_CHANGE || kind == XCB_RANDR_NOTIFY_OUTPUT_CHANGE;
}

void X11ScreenChanges::onDrained() {
    if (std::exchange(changed_, false)) {
        report();
    }
}

// A handler that drains the connection may meet the next change while it runs; that one is
// reported after it returns rather than inside it.
void X11ScreenChanges::report() {
    if (reporting_) {
        reportAgain_ = true;
        return;
    }
    struct Reporting {
        bool& flag;
        explicit Reporting(bool& f) : flag(f) { flag = true; }
        ~Reporting() { flag = false; }
    } reporting(reporting_);
    do {
        reportAgain_ = false;
        if (handler_) {
            // A copy: the handler may replace itself.
            const std::function<void()> handler = handler_;
            handler();
        }
    } while (reportAgain_);
}

} // namespace vantile
