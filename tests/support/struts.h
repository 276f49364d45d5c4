#pragma once

// Windows that reserve space at the screen's edges (panels, taskbars), found the way a desktop
// sees them: viewable windows at the top of the tree, frames of a window manager included.

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

namespace vantile::test {

struct StrutWindow {
    xcb_window_t window = XCB_WINDOW_NONE;
    // Reserved widths at the root's edges, from _NET_WM_STRUT_PARTIAL, else _NET_WM_STRUT.
    std::uint32_t left = 0;
    std::uint32_t right = 0;
    std::uint32_t top = 0;
    std::uint32_t bottom = 0;
    bool partial = false;
};

// Viewable windows down to the depth of a window manager's frames (root > frame > container >
// client) that carry a strut property.
std::vector<StrutWindow> findStrutWindows(xcb_connection_t* connection, xcb_window_t root);

} // namespace vantile::test
