#include "backends/x11/x11_input.h"

#include <xcb/xinput.h>

#include <utility>

#include "backends/x11/x11_keys.h"
#include "backends/x11/x11_reply.h"

namespace vantile {

namespace {

constexpr std::uint8_t kEventTypeMask = 0x7f;

// 2.1 is the first version whose raw events still arrive while another client grabs the device;
// a 2.0 server is used all the same, and then misses the moves a window manager grabs for.
constexpr std::uint16_t kWantedMajor = 2;
constexpr std::uint16_t kWantedMinor = 2;

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

namespace {

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

X11GlobalInput::X11GlobalInput(X11Connection& connection)
    : connection_(connection), raw_(connection), button_(connection) {
    subscription_ = connection_.addEventHandler(
        [this](const xcb_generic_event_t& event) { onEvent(event); }, [this] { reportDrag(); });
}

// Keys are grabbed rather than watched on X11 (see x11_key_grabs.h).
std::optional<MonitorToken>
X11GlobalInput::addGlobalKeyDownMonitor(std::function<void(const KeyEvent&)>) {
    return std::nullopt;
}

std::optional<MonitorToken> X11GlobalInput::addGlobalMouseMonitor(MouseEventKind kind,
                                                                  std::function<void()> handler) {
    if (!raw_.available()) {
        return std::nullopt;
    }
    const MonitorToken token = nextToken_++;
    (kind == MouseEventKind::leftMouseDragged ? dragHandlers_ : upHandlers_)
        .add(token, std::move(handler));
    updateSelection();
    return token;
}

void X11GlobalInput::removeMonitor(MonitorToken token) {
    if (dragHandlers_.remove(token) || upHandlers_.remove(token)) {
        updateSelection();
    }
}

std::uint32_t X11GlobalInput::wantedEvents() const {
    std::uint32_t wanted = 0;
    if (!upHandlers_.empty() || !dragHandlers_.empty()) {
        wanted |= X11RawInput::kButtonRelease;
    }
    if (!dragHandlers_.empty()) {
        wanted |= X11RawInput::kButtonPress;
        if (button_.held()) {
            wanted |= X11RawInput::kMotion;
        }
    }
    return wanted;
}

void X11GlobalInput::updateSelection() {
    raw_.select(wantedEvents());
    // Whether the button is held is read after its presses and releases are selected, so that no
    // change falls between; motion follows when it is held already.
    button_.follow(!dragHandlers_.empty());
    raw_.select(wantedEvents());
    connection_.flush();
}

void X11GlobalInput::onEvent(const xcb_generic_event_t& event) {
    if (button_.onMappingEvent(event)) {
        return;
    }
    if (const std::optional<RawInputEvent> raw = raw_.read(event)) {
        onRawEvent(*raw, event);
    }
}

void X11GlobalInput::onRawEvent(const RawInputEvent& raw, const xcb_generic_event_t& event) {
    switch (raw.kind) {
    case RawInputKind::buttonPress:
    case RawInputKind::buttonRelease:
        onButton(raw, event);
        break;
    case RawInputKind::motion:
        dragPending_ = dragPending_ || (button_.held() && !ownGesture_);
        break;
    }
}

void X11GlobalInput::onButton(const RawInputEvent& raw, const xcb_generic_event_t& event) {
    if (button_.onButton(raw, event)) {
        if (button_.held()) {
            ownGesture_ = pointerOverOwnWindow();
        }
        // Motion is wanted from the press of the left button to its release.
        updateSelection();
    }
    if (raw.kind == RawInputKind::buttonRelease && !upHandlers_.empty() &&
        button_.isPrimary(raw.detail) && !ownGesture_) {
        // The drag the release ends is reported before it.
        reportDrag();
        upHandlers_.callAll();
    }
    if (!button_.held()) {
        ownGesture_ = false;
    }
}

// Walks down from the root through the windows under the pointer: the top-level one is a window
// manager's frame for managed windows, and the program's own window lies a level or two below.
bool X11GlobalInput::pointerOverOwnWindow() {
    if (!isOwn_) {
        return false;
    }
    constexpr int kMaxDepth = 4;
    xcb_window_t window = connection_.root();
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        const auto pointer = takeReply(connection_, &xcb_query_pointer_reply,
                                       xcb_query_pointer(connection_.raw(), window));
        if (!pointer || pointer->child == XCB_WINDOW_NONE) {
            return false;
        }
        window = pointer->child;
        if (isOwn_(window)) {
            return true;
        }
    }
    return false;
}

void X11GlobalInput::reportDrag() {
    if (std::exchange(dragPending_, false)) {
        dragHandlers_.callAll();
    }
}

KeyEvent X11GlobalInput::ownWindowKey(std::uint32_t nativeScanCode,
                                      std::uint32_t nativeModifiers) const {
    return keyEventFor(nativeScanCode, static_cast<std::uint16_t>(nativeModifiers));
}

} // namespace vantile
