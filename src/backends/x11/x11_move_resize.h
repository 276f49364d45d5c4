#pragma once

// Asking the window manager to move or resize another program's client window.

#include <xcb/xcb.h>

#include <cstdint>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_frame_extents.h"

namespace vantile {

// How the position of a request is read: as the corner of the window manager's frame (north-west
// gravity), or as the client's own corner, its X border included (static gravity).
enum class Reference { frameCorner, clientCorner };

// Sends _NET_MOVERESIZE_WINDOW when the window manager supports it, else a plain configure
// request, with position and size both; the rect is in root coordinates, its position read as
// `reference` says. Flushes, so the request leaves at once.
void requestClientRect(X11Connection& connection, xcb_window_t window, const ClientRect& rect,
                       Reference reference, bool useMoveResizeMessage);

// What a plain configure request must say to put the client at `client`: window managers read
// its position with the client's gravity, by default north-west, which places the frame's outer
// corner there. (Clients asking for static gravity are rare enough that the correction passes
// are left to deal with them.)
ClientRect configureRequestRect(const ClientRect& client, const Extents& frame);

} // namespace vantile
