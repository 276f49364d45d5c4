#pragma once

// Finding a program's windows on the X server as a user sees them, whether a window manager has
// framed them or not.

#include <xcb/xcb.h>

#include <optional>
#include <string>
#include <vector>

#include "base/geometry.h"
#include "support/xcb_handles.h"

namespace vantile::test {

// The viewable windows within three levels below the root whose _NET_WM_NAME (or WM_NAME) is the
// title, as their root-pixel rects, in stacking order from the bottom.
std::vector<Rect> viewableWindowsTitled(xcb_connection_t* connection, const std::string& title);

// The window in root pixels, its X border included or not; none when it is gone.
std::optional<Rect> rootRectOf(xcb_connection_t* connection, xcb_window_t window,
                               bool withBorder = true);

// The _NET_WM_NAME of the window, else its WM_NAME.
std::string titleOf(xcb_connection_t* connection, xcb_window_t window);

// The viewable override-redirect children of the root wider than a pixel (the program's preview,
// editor windows and toolbar), bottom first.
std::vector<Rect> viewableOverlays(xcb_connection_t* connection);

// The titles among these of the viewable children of the root, from the bottom.
std::vector<std::string> stackedTitles(xcb_connection_t* connection,
                                       const std::vector<std::string>& titles);

// The widest strut at each edge among the viewable windows down to a window manager's frames.
struct Struts {
    std::uint32_t left = 0, right = 0, top = 0, bottom = 0;
};
Struts reservedEdges(xcb_connection_t* connection);

} // namespace vantile::test
