#include "backends/x11/x11_event_mask.h"

#include "backends/x11/x11_reply.h"

namespace vantile {

void addEventMask(X11Connection& connection, const std::vector<xcb_window_t>& windows,
                  std::uint32_t mask) {
    using PendingAttributes = Pending<&xcb_get_window_attributes_reply>;
    std::vector<PendingAttributes> requests;
    requests.reserve(windows.size());
    for (xcb_window_t window : windows) {
        requests.emplace_back(connection, xcb_get_window_attributes(connection.raw(), window));
    }
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const auto attributes = requests[i].get();
        if (attributes && (attributes->your_event_mask & mask) != mask) {
            const std::uint32_t value = attributes->your_event_mask | mask;
            xcb_change_window_attributes(connection.raw(), windows[i], XCB_CW_EVENT_MASK, &value);
        }
    }
}

} // namespace vantile
