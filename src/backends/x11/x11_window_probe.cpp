#include "backends/x11/x11_window_probe.h"

namespace vantile {

WindowProbe::WindowProbe(X11Connection& connection, xcb_window_t window)
    : window_(window), wmStateType_(connection.atom("WM_STATE")),
      attributes_(connection, xcb_get_window_attributes(connection.raw(), window)),
      tree_(connection, xcb_query_tree(connection.raw(), window)),
      wmState_(requestProperty(connection, window, wmStateType_, wmStateType_, 1)),
      partial_(requestProperty(connection, window, connection.atom("_NET_WM_STRUT_PARTIAL"),
                               XCB_ATOM_CARDINAL, 12)),
      legacy_(requestProperty(connection, window, connection.atom("_NET_WM_STRUT"),
                              XCB_ATOM_CARDINAL, 4)) {}

ProbedWindow WindowProbe::get(const Size& rootSize) {
    ProbedWindow probed;
    probed.window = window_;
    auto attributes = attributes_.get();
    auto tree = tree_.get();
    auto wmState = wmState_.get();
    auto partial = takeValues(partial_, XCB_ATOM_CARDINAL);
    auto legacy = takeValues(legacy_, XCB_ATOM_CARDINAL);
    if (!attributes || !tree || !wmState || !partial || !legacy) {
        return probed;
    }
    probed.exists = true;
    probed.viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    probed.isClient = wmState->type == wmStateType_;
    probed.parent = tree->parent;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    probed.children.assign(children, children + xcb_query_tree_children_length(tree.get()));
    if (probed.viewable) {
        probed.struts = strutsOf(*partial, *legacy, rootSize);
    }
    return probed;
}

} // namespace vantile
