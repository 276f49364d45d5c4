#include "support/titled_windows.h"

#include <algorithm>

namespace vantile::test {

namespace {

xcb_window_t rootOf(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

std::string stringProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name) {
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr));
    if (!reply || reply->format != 8) {
        return {};
    }
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       std::size_t(xcb_get_property_value_length(reply.get())));
}

// The viewable children of the window, bottom first, with whether they are override-redirect.
std::vector<std::pair<xcb_window_t, bool>> viewableChildren(xcb_connection_t* c,
                                                            xcb_window_t window) {
    XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
    std::vector<std::pair<xcb_window_t, bool>> children;
    for (int i = 0; tree && i < xcb_query_tree_children_length(tree.get()); ++i) {
        const xcb_window_t child = xcb_query_tree_children(tree.get())[i];
        XcbReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, child), nullptr));
        if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE) {
            children.emplace_back(child, attributes->override_redirect != 0);
        }
    }
    return children;
}

void search(xcb_connection_t* c, xcb_window_t parent, const std::string& title, int levels,
            std::vector<Rect>& found) {
    for (const auto& [window, overrideRedirect] : viewableChildren(c, parent)) {
        if (titleOf(c, window) == title) {
            found.push_back(rootRectOf(c, window).value_or(Rect{}));
        } else if (levels > 1) {
            search(c, window, title, levels - 1, found);
        }
    }
}

void collectStruts(xcb_connection_t* c, Atoms& atoms, xcb_window_t parent, int depth, Struts& out) {
    for (const auto& [window, overrideRedirect] : viewableChildren(c, parent)) {
        auto edges = readProperty32(c, window, atoms("_NET_WM_STRUT_PARTIAL"));
        if (!edges || edges->size() < 4) {
            edges = readProperty32(c, window, atoms("_NET_WM_STRUT"));
        }
        if (edges && edges->size() >= 4) {
            out = {std::max(out.left, (*edges)[0]), std::max(out.right, (*edges)[1]),
                   std::max(out.top, (*edges)[2]), std::max(out.bottom, (*edges)[3])};
        }
        if (depth > 1) {
            collectStruts(c, atoms, window, depth - 1, out);
        }
    }
}

} // namespace

std::optional<Rect> rootRectOf(xcb_connection_t* c, xcb_window_t window, bool withBorder) {
    XcbReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    XcbReply<xcb_translate_coordinates_reply_t> corner(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, window, rootOf(c), 0, 0), nullptr));
    if (!geometry || !corner) {
        return std::nullopt;
    }
    const double border = withBorder ? geometry->border_width : 0;
    return Rect{corner->dst_x - border, corner->dst_y - border, geometry->width + 2 * border,
                geometry->height + 2 * border};
}

Struts reservedEdges(xcb_connection_t* connection) {
    Atoms atoms(connection);
    Struts struts;
    collectStruts(connection, atoms, rootOf(connection), 3, struts);
    return struts;
}

std::string titleOf(xcb_connection_t* connection, xcb_window_t window) {
    const std::string name = stringProperty(connection, window, Atoms(connection)("_NET_WM_NAME"));
    return name.empty() ? stringProperty(connection, window, XCB_ATOM_WM_NAME) : name;
}

std::vector<Rect> viewableWindowsTitled(xcb_connection_t* connection, const std::string& title) {
    std::vector<Rect> found;
    search(connection, rootOf(connection), title, 3, found);
    return found;
}

std::vector<Rect> viewableOverlays(xcb_connection_t* connection) {
    std::vector<Rect> overlays;
    for (const auto& [window, overrideRedirect] :
         viewableChildren(connection, rootOf(connection))) {
        if (const Rect rect = rootRectOf(connection, window).value_or(Rect{});
            overrideRedirect && rect.width > 1) {
            overlays.push_back(rect);
        }
    }
    return overlays;
}

std::vector<std::string> stackedTitles(xcb_connection_t* connection,
                                       const std::vector<std::string>& titles) {
    std::vector<std::string> stacked;
    for (const auto& [window, overrideRedirect] :
         viewableChildren(connection, rootOf(connection))) {
        if (const std::string title = titleOf(connection, window);
            std::ranges::count(titles, title)) {
            stacked.push_back(title);
        }
    }
    return stacked;
}

} // namespace vantile::test
