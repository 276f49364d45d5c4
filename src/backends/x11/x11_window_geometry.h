#pragma once

// Reads where a client window stands on the root and how its frame and shadows extend it, all in
// one round trip.

#include <xcb/xcb.h>

#include <optional>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_frame_extents.h"
#include "backends/x11/x11_properties.h"
#include "backends/x11/x11_reply.h"

namespace vantile {

struct Decorations {
    Extents frame;  // drawn by the window manager around the client
    Extents shadow; // drawn by the client inside its own window
    // Whether the window manager published the frame (else it was read from the parent, or there
    // is none), and the client window's own X border.
    bool framePublished = false;
    double border = 0;
};

struct WindowGeometry {
    Rect client; // root coordinates
    Decorations decorations;

    Rect visible() const { return visibleFrame(client, decorations.frame, decorations.shadow); }
};

// Requests are sent on construction; get() gives none when the window has gone. A window manager
// that publishes no frame extents (i3) has its frame read from the window it put the client in,
// which takes one more round trip.
class DecorationsRequest {
  public:
    DecorationsRequest(X11Connection& connection, xcb_window_t window);
    std::optional<Decorations> get();

  private:
    std::optional<Extents> frameOfParent(const xcb_get_geometry_reply_t& client,
                                         xcb_window_t parent);

    X11Connection& connection_;
    PendingProperty frame_;
    PendingProperty shadow_;
    Pending<&xcb_get_geometry_reply> geometry_;
    Pending<&xcb_query_tree_reply> tree_;
};

class WindowGeometryRequest {
  public:
    WindowGeometryRequest(X11Connection& connection, xcb_window_t window);
    std::optional<WindowGeometry> get();

  private:
    Pending<&xcb_translate_coordinates_reply> origin_;
    Pending<&xcb_get_geometry_reply> geometry_;
    DecorationsRequest decorations_;
};

} // namespace vantile
