#pragma once

// The maximized and full-screen states, which a window must leave before it can be placed: a
// window manager keeps a maximized window at the size of the work area and would undo any frame
// written while the state lasts.

#include <xcb/xcb.h>

#include <chrono>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_properties.h"
#include "backends/x11/x11_wm_barrier.h"

namespace vantile {

// Asks the window manager to take the window out of those states, then waits until it has
// finished doing so (the states are gone from _NET_WM_STATE and, where the window manager
// supports the barrier, the new frame is in place), or the time limit passes. Returns at once
// when the window is in none of them or has gone. True when the window left such a state and the
// window manager is known to have finished.
// The states and whether the window manager offers the barrier, asked for ahead so that the
// question can share a round trip with others.
struct StateRequests {
    xcb_window_t window = XCB_WINDOW_NONE;
    PendingProperty states;
    PendingProperty supported;
};
StateRequests requestStateAndSupport(X11Connection& connection, xcb_window_t window);

bool leaveMaximizedStates(X11Connection& connection, StateRequests asked,
                          WindowManagerBarrier& barrier,
                          std::chrono::milliseconds limit = std::chrono::milliseconds(100));

} // namespace vantile
