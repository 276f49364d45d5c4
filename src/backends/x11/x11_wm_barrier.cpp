#include "backends/x11/x11_wm_barrier.h"

#include "backends/x11/x11_properties.h"

namespace vantile {

WindowManagerBarrier::WindowManagerBarrier(X11Connection& connection)
    : connection_(connection), window_(xcb_generate_id(connection.raw())) {
    xcb_create_window(connection_.raw(), XCB_COPY_FROM_PARENT, window_, connection_.root(), -10,
                      -10, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
}

WindowManagerBarrier::~WindowManagerBarrier() {
    xcb_destroy_window(connection_.raw(), window_);
    connection_.flush();
}

void WindowManagerBarrier::ask() {
    const xcb_atom_t extents = connection_.atom("_NET_FRAME_EXTENTS");
    // Deleted first, so that only an answer to this question can bring the property back.
    xcb_delete_property(connection_.raw(), window_, extents);
    sendToWindowManager(connection_, window_, connection_.atom("_NET_REQUEST_FRAME_EXTENTS"),
                        {0, 0, 0, 0, 0});
}

bool WindowManagerBarrier::answered() {
    PendingProperty request = requestProperty(
        connection_, window_, connection_.atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 4);
    const auto values = takeValues(request, XCB_ATOM_CARDINAL);
    return values && !values->empty();
}

} // namespace vantile
