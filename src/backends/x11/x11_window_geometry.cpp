#include "backends/x11/x11_window_geometry.h"

namespace vantile {

DecorationsRequest::DecorationsRequest(X11Connection& connection, xcb_window_t window)
    : connection_(connection),
      frame_(requestProperty(connection, window, connection.atom("_NET_FRAME_EXTENTS"),
                             XCB_ATOM_CARDINAL, 4)),
      shadow_(requestProperty(connection, window, connection.atom("_GTK_FRAME_EXTENTS"),
                              XCB_ATOM_CARDINAL, 4)),
      geometry_(connection, xcb_get_geometry(connection.raw(), window)),
      tree_(connection, xcb_query_tree(connection.raw(), window)) {}

std::optional<Decorations> DecorationsRequest::get() {
    auto frame = takeValues(frame_, XCB_ATOM_CARDINAL);
    auto shadow = takeValues(shadow_, XCB_ATOM_CARDINAL);
    auto geometry = geometry_.get();
    auto tree = tree_.get();
    if (!frame || !shadow || !geometry || !tree) {
        return std::nullopt;
    }
    Decorations decorations{extentsFrom(*frame), extentsFrom(*shadow), !frame->empty(),
                            double(geometry->border_width)};
    if (frame->empty() && tree->parent != connection_.root()) {
        const std::optional<Extents> parentFrame = frameOfParent(*geometry, tree->parent);
        if (!parentFrame) {
            return std::nullopt;
        }
        decorations.frame = *parentFrame;
    }
    return decorations;
}

// The parent's edges around the client's area, its own border and the client's included. Only
// the client's place in the parent is trusted: while the window manager resizes both, the
// parent's size may already be the new one and the client's the old, so the right and bottom
// sides are taken to be as wide as the left one, as such frames draw them (a title bar on top).
std::optional<Extents> DecorationsRequest::frameOfParent(const xcb_get_geometry_reply_t& client,
                                                         xcb_window_t parent) {
    const auto outer = takeReply(connection_, &xcb_get_geometry_reply,
                                 xcb_get_geometry(connection_.raw(), parent));
    if (!outer) {
        return std::nullopt;
    }
    const double edge = outer->border_width;
    const double left = client.x + client.border_width + edge;
    const double top = client.y + client.border_width + edge;
    return Extents{left, left, top, left};
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
