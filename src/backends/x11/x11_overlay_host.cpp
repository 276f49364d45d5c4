#include "backends/x11/x11_overlay_host.h"

#include <string>

#include "backends/x11/x11_monitors.h"
#include "backends/x11/x11_reply.h"

namespace vantile {

namespace {

// The number of the connection's screen, which names its compositing selection.
int screenNumber(X11Connection& connection) {
    int number = 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection.raw())); it.rem > 0;
         xcb_screen_next(&it), ++number) {
        if (it.data->root == connection.root()) {
            return number;
        }
    }
    return 0;
}

} // namespace

X11OverlayHost::X11OverlayHost(X11Connection& connection)
    : connection_(connection), compositorSelection_(connection.atom(
                                   "_NET_WM_CM_S" + std::to_string(screenNumber(connection)))) {}

bool X11OverlayHost::compositorRunning() {
    auto owner = takeReply(connection_, &xcb_get_selection_owner_reply,
                           xcb_get_selection_owner(connection_.raw(), compositorSelection_));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

Rect X11OverlayHost::primaryInDesktopPixels() {
    return MonitorLayoutRequest(connection_).get().primary();
}

} // namespace vantile
