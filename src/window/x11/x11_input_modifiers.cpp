#include "window/x11/x11_input_modifiers.h"

// xcb's XKB header names a structure member `explicit`, a C++ keyword; the member is renamed in
// this file only, where it is never used.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include "window/x11/x11_input_sequence.h"
#include "window/x11/x11_reply.h"

namespace vantile {
namespace {

constexpr std::uint8_t kEventTypeMask = 0x7f;

// Only the effective modifiers: latches and locks that leave them as they were wake no one.
constexpr std::uint16_t kStateParts = XCB_XKB_STATE_PART_MODIFIER_STATE;

} // namespace

X11InputModifiers::X11InputModifiers(X11Connection& connection) : connection_(connection) {
    const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(connection_.raw(), &xcb_xkb_id);
    if (xkb == nullptr || xkb->present == 0) {
        return;
    }
    connection_.registerExtension(xcb_xkb_id, "XKEYBOARD");
    // The server sends XKB events only to clients that announced the version they speak.
    auto used = takeReply(
        connection_, &xcb_xkb_use_extension_reply,
        xcb_xkb_use_extension(connection_.raw(), XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION));
    available_ = used && used->supported != 0;
    eventCode_ = xkb->first_event;
}

X11InputModifiers::~X11InputModifiers() {
    if (watching_) {
        select(false);
        connection_.flush();
    }
}

void X11InputModifiers::watch(bool on) {
    if (!available_ || on == watching_) {
        return;
    }
    watching_ = on;
    select(on);
    if (on) {
        // After selecting, so that no change falls between the read and the first event.
        readState();
    }
}

void X11InputModifiers::select(bool on) {
    xcb_xkb_select_events_details_t details{};
    details.affectState = kStateParts;
    details.stateDetails = kStateParts;
    const std::uint16_t stateNotify = XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
    // Clearing a kind of event drops its details as well.
    xcb_xkb_select_events_aux(connection_.raw(), XCB_XKB_ID_USE_CORE_KBD, stateNotify,
                              on ? 0 : stateNotify, 0, 0, 0, &details);
}

void X11InputModifiers::readState() {
    const xcb_xkb_get_state_cookie_t cookie =
        xcb_xkb_get_state(connection_.raw(), XCB_XKB_ID_USE_CORE_KBD);
    stateReadSequence_ = cookie.sequence;
    if (auto state = takeReply(connection_, &xcb_xkb_get_state_reply, cookie)) {
        modifiers_ = state->mods;
    }
}

bool X11InputModifiers::onEvent(const xcb_generic_event_t& event) {
    if (!available_ || (event.response_type & kEventTypeMask) != eventCode_) {
        return false;
    }
    const auto& notify = reinterpret_cast<const xcb_xkb_state_notify_event_t&>(event);
    if (watching_ && notify.xkbType == XCB_XKB_STATE_NOTIFY &&
        sentAtOrAfter(event, stateReadSequence_)) {
        modifiers_ = notify.mods;
    }
    return true;
}

} // namespace vantile
