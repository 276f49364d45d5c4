#include "support/struts.h"

#include "support/x_properties.h"
#include "support/xcb_handles.h"

namespace vantile::test {

namespace {

constexpr int kSearchDepth = 3;
constexpr std::size_t kStrutEdges = 4;

std::vector<xcb_window_t> childrenOf(xcb_connection_t* connection, xcb_window_t window) {
    XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
    if (!tree) {
        return {};
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    return {children, children + xcb_query_tree_children_length(tree.get())};
}

bool viewable(xcb_connection_t* connection, xcb_window_t window) {
    XcbReply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

void collect(xcb_connection_t* connection, Atoms& atoms, xcb_window_t parent, int depth,
             std::vector<StrutWindow>& found) {
    for (const xcb_window_t window : childrenOf(connection, parent)) {
        if (!viewable(connection, window)) {
            continue;
        }
        auto edges = readProperty32(connection, window, atoms("_NET_WM_STRUT_PARTIAL"));
        const bool partial = edges && edges->size() >= kStrutEdges;
        if (!partial) {
            edges = readProperty32(connection, window, atoms("_NET_WM_STRUT"));
        }
        if (edges && edges->size() >= kStrutEdges) {
            found.push_back({window, (*edges)[0], (*edges)[1], (*edges)[2], (*edges)[3], partial});
        }
        if (depth > 1) {
            collect(connection, atoms, window, depth - 1, found);
        }
    }
}

} // namespace

std::vector<StrutWindow> findStrutWindows(xcb_connection_t* connection, xcb_window_t root) {
    Atoms atoms(connection);
    std::vector<StrutWindow> found;
    collect(connection, atoms, root, kSearchDepth, found);
    return found;
}

} // namespace vantile::test
