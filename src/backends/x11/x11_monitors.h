#pragma once

// The monitor layout as RandR describes it, in root coordinates. Shared by the screen list and the
// window backend, which both measure from the primary monitor.

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_reply.h"
#include "base/geometry.h"

namespace vantile {

struct X11Monitor {
    // RandR names a monitor by an atom, which stays the same while the monitor exists. The
    // stand-in for the whole root has no name.
    xcb_atom_t name = XCB_ATOM_NONE;
    Rect frame; // root coordinates
};

struct MonitorLayout {
    // Primary first, then in the server's order; never empty unless the server is unreachable.
    std::vector<X11Monitor> monitors;
    Size rootSize;

    // The primary monitor's frame, or an empty rect at the root's corner when there is none.
    Rect primary() const { return monitors.empty() ? Rect{} : monitors.front().frame; }
};

// The layout request in flight; get() collects it. When RandR is missing or lists no active
// monitor, the whole root window stands in as the one monitor.
class MonitorLayoutRequest {
  public:
    explicit MonitorLayoutRequest(X11Connection& connection);
    MonitorLayout get();

  private:
    Pending<&xcb_randr_get_monitors_reply> monitors_;
    Pending<&xcb_get_geometry_reply> root_;
};

} // namespace vantile
