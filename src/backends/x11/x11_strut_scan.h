#pragma once

// Finds the struts of every viewable top-level client. Panels are not always in the window
// manager's client list (IceWM leaves out its own taskbar), and a window manager that frames
// them hides them from the root's children, so the search starts from both and then looks
// inside the viewable root children that hold no listed client.

#include <xcb/xcb.h>

#include <map>
#include <vector>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_properties.h"
#include "backends/x11/x11_reply.h"
#include "backends/x11/x11_struts.h"
#include "backends/x11/x11_window_probe.h"

namespace vantile {

// The first round (the root's children and the client list) is sent on construction, so it can
// share a round trip with other requests; get() sends the following rounds, one per level of
// the tree it has to search (usually one, at most three). Space the window manager's work area
// reserves beyond the struts found comes as struts along the whole edge.
class StrutScan {
  public:
    explicit StrutScan(X11Connection& connection);
    std::vector<Strut> get(const Size& rootSize);

  private:
    using Probed = std::map<xcb_window_t, ProbedWindow>;

    std::vector<xcb_window_t> probeAll(const std::vector<xcb_window_t>& windows,
                                       const Size& rootSize, Probed& probed);

    X11Connection& connection_;
    Pending<&xcb_query_tree_reply> tree_;
    PendingProperty clientList_;
    PendingProperty workArea_;
    PendingProperty currentDesktop_;
};

} // namespace vantile
