#include "window/x11/x11_window_geometry.h"

namespace vantile {

DecorationsRequest::DecorationsRequest(X11Connection& connection, xcb_window_t window)
    : frame_(requestProperty(connection, window, connection.atom("_NET_FRAME_EXTENTS"),
                             XCB_ATOM_CARDINAL, 4)),
      shadow_(requestProperty(connection, window, connection.atom("_GTK_FRAME_EXTENTS"),
                              XCB_ATOM_CARDINAL, 4)) {}

std::optional<Decorations> DecorationsRequest::get() {
    auto frame = takeValues(frame_, XCB_ATOM_CARDINAL);
    auto shadow = takeValues(shadow_, XCB_ATOM_CARDINAL);
    if (!frame || !shadow) {
        return std::nullopt;
    }
    return Decorations{extentsFrom(*frame), extentsFrom(*shadow)};
}

WindowGeometryRequest::WindowGeometryRequest(X11Connection& connection, xcb_window_t window)
    : origin_(connection,
              xcb_translate_coordinates(connection.raw(), window, connection.root(), 0, 0)),
      geometry_(connection, xcb_get_geometry(connection.raw(), window)),
      decorations_(connection, window) {}

std::optional<WindowGeometry> WindowGeometryRequest::get() {
    auto origin = origin_.get();
    auto geometry = geometry_.get();
    auto decorations = decorations_.get();
    if (!origin || !geometry || !decorations) {
        return std::nullopt;
    }
    const Rect client{double(origin->dst_x), double(origin->dst_y), double(geometry->width),
                      double(geometry->height)};
    return WindowGeometry{client, *decorations};
}

} // namespace vantile
