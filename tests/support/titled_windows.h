#pragma once

// Finding a program's window on the X server by its title, as a user sees it, whether a window
// manager has framed it or not.

#include <xcb/xcb.h>

#include <optional>
#include <string>
#include <vector>

#include "base/geometry.h"

namespace vantile::test {

// The first window within three levels below the root whose _NET_WM_NAME (or WM_NAME) is the
// title and that is viewable (mapped, with every ancestor mapped).
std::optional<xcb_window_t> findViewableWindowTitled(xcb_connection_t* connection,
                                                     const std::string& title);

// The root-pixel rectangles of all such windows, in stacking order from the bottom.
std::vector<Rect> viewableWindowsTitled(xcb_connection_t* connection, const std::string& title);

// The _NET_WM_NAME of the window, else its WM_NAME; empty when it has neither.
std::string titleOf(xcb_connection_t* connection, xcb_window_t window);

// The root-pixel rectangles of the viewable override-redirect children of the root wider than a
// pixel (the program's preview, editor windows and toolbar), bottom first.
std::vector<Rect> viewableOverlays(xcb_connection_t* connection);

// The title of each viewable child of the root that carries one of the titles, in stacking order
// from the bottom.
std::vector<std::string> stackedTitles(xcb_connection_t* connection,
                                       const std::vector<std::string>& titles);

} // namespace vantile::test
