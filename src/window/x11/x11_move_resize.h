#pragma once

// Asking the window manager to move or resize another program's client window.

#include <xcb/xcb.h>

#include <cstdint>

#include "window/x11/x11_connection.h"
#include "window/x11/x11_frame_extents.h"

namespace vantile {

enum class MoveResizeFields : std::uint32_t {
    position = 0x3, // x and y
    size = 0xC,     // width and height
};

// Sends _NET_MOVERESIZE_WINDOW when the window manager supports it, else a plain configure
// request, for only the fields asked for; the rect is the client window's, in root coordinates.
// Flushes, so the request leaves at once.
void requestClientRect(X11Connection& connection, xcb_window_t window, const ClientRect& rect,
                       MoveResizeFields fields, bool useMoveResizeMessage);

} // namespace vantile
