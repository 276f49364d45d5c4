#pragma once

// A way to learn that the window manager has finished handling what we asked of it. Window
// managers handle client messages one after another, and EWMH obliges them to answer
// _NET_REQUEST_FRAME_EXTENTS by setting _NET_FRAME_EXTENTS on the asking window. So once that
// answer has arrived for a never-mapped window of our own, every message sent before the
// question has been handled in full, including the parts (like new frame extents) that follow
// the visible state change by a few milliseconds.

#include <xcb/xcb.h>

#include "backends/x11/x11_connection.h"

namespace vantile {

class WindowManagerBarrier {
  public:
    // The connection must outlive the barrier.
    explicit WindowManagerBarrier(X11Connection& connection);
    WindowManagerBarrier(const WindowManagerBarrier&) = delete;
    WindowManagerBarrier& operator=(const WindowManagerBarrier&) = delete;
    ~WindowManagerBarrier();

    // Queues the question behind everything sent to the window manager so far; not flushed.
    void ask();
    // Whether the window manager has answered the last question. One round trip.
    bool answered();

  private:
    X11Connection& connection_;
    xcb_window_t window_ = XCB_WINDOW_NONE;
};

} // namespace vantile
