#pragma once

// What the strut search needs to know about one window, asked for in a single batch: whether it
// is viewable, whether it is a client (ICCCM WM_STATE), its struts, and its place in the tree.

#include <xcb/xcb.h>

#include <vector>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_properties.h"
#include "backends/x11/x11_reply.h"
#include "backends/x11/x11_struts.h"

namespace vantile {

struct ProbedWindow {
    xcb_window_t window = XCB_WINDOW_NONE;
    bool exists = false;
    bool viewable = false;
    bool isClient = false;
    xcb_window_t parent = XCB_WINDOW_NONE;
    std::vector<xcb_window_t> children;
    std::vector<Strut> struts;
};

class WindowProbe {
  public:
    WindowProbe(X11Connection& connection, xcb_window_t window);
    ProbedWindow get(const Size& rootSize);

  private:
    xcb_window_t window_;
    xcb_atom_t wmStateType_;
    Pending<&xcb_get_window_attributes_reply> attributes_;
    Pending<&xcb_query_tree_reply> tree_;
    PendingProperty wmState_;
    PendingProperty partial_;
    PendingProperty legacy_;
};

} // namespace vantile
