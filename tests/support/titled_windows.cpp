#include "support/titled_windows.h"

#include <vector>

#include "support/x_properties.h"
#include "support/xcb_handles.h"

namespace vantile::test {

namespace {

std::string stringProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name) {
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
        nullptr));
    if (!reply || reply->format != 8) {
        return {};
    }
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(bytes, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

bool viewable(xcb_connection_t* connection, xcb_window_t window) {
    XcbReply<xcb_get_window_attributes_reply_t> reply(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr));
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::vector<xcb_window_t> children(xcb_connection_t* connection, xcb_window_t window) {
    XcbReply<xcb_query_tree_reply_t> reply(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
    if (!reply) {
        return {};
    }
    const xcb_window_t* list = xcb_query_tree_children(reply.get());
    return {list, list + xcb_query_tree_children_length(reply.get())};
}

bool titled(xcb_connection_t* connection, Atoms& atoms, xcb_window_t window,
            const std::string& title) {
    return stringProperty(connection, window, atoms("_NET_WM_NAME")) == title ||
           stringProperty(connection, window, XCB_ATOM_WM_NAME) == title;
}

void search(xcb_connection_t* connection, Atoms& atoms, xcb_window_t parent,
            const std::string& title, int levels, std::vector<xcb_window_t>& found) {
    for (const xcb_window_t window : children(connection, parent)) {
        if (!viewable(connection, window)) {
            continue;
        }
        if (titled(connection, atoms, window, title)) {
            found.push_back(window);
        } else if (levels > 1) {
            search(connection, atoms, window, title, levels - 1, found);
        }
    }
}

std::vector<xcb_window_t> allTitled(xcb_connection_t* connection, const std::string& title) {
    Atoms atoms(connection);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    std::vector<xcb_window_t> found;
    search(connection, atoms, root, title, 3, found);
    return found;
}

Rect rootRectOf(xcb_connection_t* connection, xcb_window_t window) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    XcbReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    XcbReply<xcb_translate_coordinates_reply_t> corner(xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, window, root, 0, 0), nullptr));
    if (!geometry || !corner) {
        return {};
    }
    return {double(corner->dst_x), double(corner->dst_y), double(geometry->width),
            double(geometry->height)};
}

xcb_window_t rootOf(xcb_connection_t* connection) {
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

} // namespace

std::string titleOf(xcb_connection_t* connection, xcb_window_t window) {
    Atoms atoms(connection);
    const std::string name = stringProperty(connection, window, atoms("_NET_WM_NAME"));
    return name.empty() ? stringProperty(connection, window, XCB_ATOM_WM_NAME) : name;
}

std::vector<Rect> viewableOverlays(xcb_connection_t* connection) {
    std::vector<Rect> overlays;
    for (const xcb_window_t window : children(connection, rootOf(connection))) {
        XcbReply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, window), nullptr));
        const Rect rect = rootRectOf(connection, window);
        if (attributes && attributes->override_redirect &&
            attributes->map_state == XCB_MAP_STATE_VIEWABLE && rect.width > 1) {
            overlays.push_back(rect);
        }
    }
    return overlays;
}

std::vector<std::string> stackedTitles(xcb_connection_t* connection,
                                       const std::vector<std::string>& titles) {
    Atoms atoms(connection);
    std::vector<std::string> stacked;
    for (const xcb_window_t window : children(connection, rootOf(connection))) {
        for (const std::string& title : titles) {
            if (viewable(connection, window) && titled(connection, atoms, window, title)) {
                stacked.push_back(title);
                break;
            }
        }
    }
    return stacked;
}

std::optional<xcb_window_t> findViewableWindowTitled(xcb_connection_t* connection,
                                                     const std::string& title) {
    const auto found = allTitled(connection, title);
    return found.empty() ? std::nullopt : std::optional<xcb_window_t>(found.front());
}

std::vector<Rect> viewableWindowsTitled(xcb_connection_t* connection, const std::string& title) {
    std::vector<Rect> rects;
    for (const xcb_window_t window : allTitled(connection, title)) {
        rects.push_back(rootRectOf(connection, window));
    }
    return rects;
}

} // namespace vantile::test
