#include "window/x11/x11_input_button.h"

#include "window/x11/x11_input_sequence.h"
#include "window/x11/x11_reply.h"

namespace vantile {
namespace {

constexpr std::uint8_t kEventTypeMask = 0x7f;
constexpr std::uint32_t kPrimary = 1;

} // namespace

void X11InputButton::follow(bool on) {
    if (on == following_) {
        return;
    }
    following_ = on;
    holders_.clear();
    if (on) {
        readState(mappingStale_);
    }
}

void X11InputButton::readState(bool withMapping) {
    Pending<&xcb_get_pointer_mapping_reply> mapping;
    if (withMapping) {
        mapping = Pending<&xcb_get_pointer_mapping_reply>(
            connection_, xcb_get_pointer_mapping(connection_.raw()));
    }
    const xcb_query_pointer_cookie_t cookie =
        xcb_query_pointer(connection_.raw(), connection_.root());
    stateReadSequence_ = cookie.sequence;
    if (withMapping) {
        takeMapping(mapping.get());
    }
    // The button mask of the pointer state is the logical one, after mapping.
    if (auto pointer = takeReply(connection_, &xcb_query_pointer_reply, cookie);
        pointer && (pointer->mask & XCB_BUTTON_MASK_1) != 0) {
        holders_.insert(kEarlierPress);
    }
}

void X11InputButton::takeMapping(ReplyPtr<xcb_get_pointer_mapping_reply_t> reply) {
    if (reply) {
        const std::uint8_t* map = xcb_get_pointer_mapping_map(reply.get());
        mapping_.assign(map, map + xcb_get_pointer_mapping_map_length(reply.get()));
        mappingStale_ = false;
    }
}

bool X11InputButton::isPrimary(std::uint32_t physicalButton) {
    if (mappingStale_) {
        takeMapping(takeReply(connection_, &xcb_get_pointer_mapping_reply,
                              xcb_get_pointer_mapping(connection_.raw())));
    }
    if (physicalButton >= 1 && physicalButton <= mapping_.size()) {
        return mapping_[physicalButton - 1] == kPrimary;
    }
    return physicalButton == kPrimary;
}

bool X11InputButton::onButton(const RawInputEvent& event, const xcb_generic_event_t& xEvent) {
    if (!following_ || !sentAtOrAfter(xEvent, stateReadSequence_)) {
        return false;
    }
    const bool wasHeld = held();
    const Holder holder{event.sourceDevice, event.detail};
    if (event.kind == RawInputKind::buttonPress) {
        if (isPrimary(event.detail)) {
            holders_.insert(holder);
        }
    } else if (event.kind == RawInputKind::buttonRelease) {
        if (holders_.erase(holder) == 0 && isPrimary(event.detail)) {
            holders_.erase(kEarlierPress);
        }
    }
    return held() != wasHeld;
}

bool X11InputButton::onMappingEvent(const xcb_generic_event_t& event) {
    if ((event.response_type & kEventTypeMask) != XCB_MAPPING_NOTIFY) {
        return false;
    }
    if (reinterpret_cast<const xcb_mapping_notify_event_t&>(event).request == XCB_MAPPING_POINTER) {
        mappingStale_ = true;
    }
    return true;
}

} // namespace vantile
