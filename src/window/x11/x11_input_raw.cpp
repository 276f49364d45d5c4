#include "window/x11/x11_input_raw.h"

#include <xcb/xinput.h>

#include "window/x11/x11_reply.h"

namespace vantile {
namespace {

constexpr std::uint8_t kEventTypeMask = 0x7f;

// 2.1 is the first version whose raw events still arrive while another client grabs the device;
// a 2.0 server is used all the same, and then misses the moves a window manager grabs for.
constexpr std::uint16_t kWantedMajor = 2;
constexpr std::uint16_t kWantedMinor = 2;

static_assert(X11RawInput::kKeyPress == XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS);
static_assert(X11RawInput::kButtonPress == XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS);
static_assert(X11RawInput::kButtonRelease == XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE);
static_assert(X11RawInput::kMotion == XCB_INPUT_XI_EVENT_MASK_RAW_MOTION);

// One device's entry of an XISelectEvents request, with its single mask word.
struct RootSelection {
    xcb_input_event_mask_t head;
    std::uint32_t mask;
};
static_assert(sizeof(RootSelection) == sizeof(xcb_input_event_mask_t) + sizeof(std::uint32_t));

std::optional<RawInputKind> kindOf(std::uint16_t eventType) {
    switch (eventType) {
    case XCB_INPUT_RAW_KEY_PRESS:
        return RawInputKind::keyPress;
    case XCB_INPUT_RAW_BUTTON_PRESS:
        return RawInputKind::buttonPress;
    case XCB_INPUT_RAW_BUTTON_RELEASE:
        return RawInputKind::buttonRelease;
    case XCB_INPUT_RAW_MOTION:
        return RawInputKind::motion;
    default:
        return std::nullopt;
    }
}

} // namespace

X11RawInput::X11RawInput(X11Connection& connection) : connection_(connection) {
    const xcb_query_extension_reply_t* xi =
        xcb_get_extension_data(connection_.raw(), &xcb_input_id);
    if (xi == nullptr || xi->present == 0) {
        return;
    }
    connection_.registerExtension(xcb_input_id, "XInputExtension");
    // The server holds XInput 2 back from clients that never announced the version they speak.
    auto version =
        takeReply(connection_, &xcb_input_xi_query_version_reply,
                  xcb_input_xi_query_version(connection_.raw(), kWantedMajor, kWantedMinor));
    available_ = version && version->major_version >= 2;
    opcode_ = xi->major_opcode;
}

X11RawInput::~X11RawInput() {
    select(0);
    connection_.flush();
}

void X11RawInput::select(std::uint32_t mask) {
    if (!available_ || mask == selected_) {
        return;
    }
    // Master devices only: each slave's events would otherwise come twice, once from it and once
    // from its master.
    const RootSelection selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, mask};
    xcb_input_xi_select_events(connection_.raw(), connection_.root(), 1, &selection.head);
    selected_ = mask;
}

std::optional<RawInputEvent> X11RawInput::read(const xcb_generic_event_t& event) const {
    if (!available_ || (event.response_type & kEventTypeMask) != XCB_GE_GENERIC) {
        return std::nullopt;
    }
    const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
    if (generic.extension != opcode_) {
        return std::nullopt;
    }
    const std::optional<RawInputKind> kind = kindOf(generic.event_type);
    if (!kind) {
        return std::nullopt;
    }
    // The raw key, button and motion events share this fixed part.
    const auto& raw = reinterpret_cast<const xcb_input_raw_button_press_event_t&>(event);
    return RawInputEvent{*kind, raw.detail, raw.sourceid, raw.time};
}

} // namespace vantile
