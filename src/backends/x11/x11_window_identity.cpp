#include "backends/x11/x11_window_identity.h"

#include "backends/x11/x11_event_mask.h"

namespace vantile {
namespace {

constexpr std::uint8_t kEventTypeMask = 0x7f;

WindowRef makeRef(xcb_window_t window, std::uint32_t generation) {
    return WindowRef{(std::uint64_t{generation} << 32) | window};
}

} // namespace

X11WindowIdentity::X11WindowIdentity(X11Connection& connection) : connection_(connection) {
    subscription_ =
        connection_.addEventHandler([this](const xcb_generic_event_t& event) { onEvent(event); });
}

WindowRef X11WindowIdentity::refFor(xcb_window_t window) {
    // A destruction the server announced before the number was read is queued ahead of the
    // answer that carried it: hearing it first keeps a dead window's handle from the new one.
    connection_.drainEvents();
    if (const auto live = live_.find(window); live != live_.end()) {
        return makeRef(window, live->second);
    }
    const auto next = nextGeneration_.find(window);
    const std::uint32_t generation = next == nextGeneration_.end() ? 0 : next->second;
    // A window that is already gone is never heard of again, and nothing can be done to it.
    addEventMask(connection_, {window}, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    live_[window] = generation;
    return makeRef(window, generation);
}

std::optional<xcb_window_t> X11WindowIdentity::windowOf(const WindowRef& ref) {
    const auto window = static_cast<xcb_window_t>(ref.id & 0xffffffffu);
    if (refFor(window) != ref) {
        return std::nullopt;
    }
    return window;
}

void X11WindowIdentity::onEvent(const xcb_generic_event_t& event) {
    if ((event.response_type & kEventTypeMask) != XCB_DESTROY_NOTIFY) {
        return;
    }
    const auto& destroyed = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
    const auto live = live_.find(destroyed.window);
    if (live == live_.end()) {
        return;
    }
    nextGeneration_[destroyed.window] = live->second + 1;
    live_.erase(live);
}

} // namespace vantile
