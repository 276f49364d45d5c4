#pragma once

// What a test sees of the window manager through EWMH properties on the root window.

#include <xcb/xcb.h>

#include <optional>
#include <vector>

#include "support/x_properties.h"

namespace vantile::test {

// The window named by the root's _NET_SUPPORTING_WM_CHECK when it is alive and names itself in
// the same property, as a running window manager keeps it; none otherwise.
std::optional<xcb_window_t> supportingWmCheck(xcb_connection_t* connection, Atoms& atoms,
                                              xcb_window_t root);

// Whether the root's _NET_SUPPORTED lists the atom.
bool wmSupports(xcb_connection_t* connection, Atoms& atoms, xcb_window_t root, xcb_atom_t hint);

// The root's _NET_ACTIVE_WINDOW, or none.
std::optional<xcb_window_t> activeWindow(xcb_connection_t* connection, Atoms& atoms,
                                         xcb_window_t root);

// The root's _NET_CLIENT_LIST (empty when missing).
std::vector<xcb_window_t> clientList(xcb_connection_t* connection, Atoms& atoms, xcb_window_t root);

} // namespace vantile::test
