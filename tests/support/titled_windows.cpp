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

std::optional<xcb_window_t> search(xcb_connection_t* connection, Atoms& atoms, xcb_window_t parent,
                                   const std::string& title, int levels) {
    for (const xcb_window_t window : children(connection, parent)) {
        if (!viewable(connection, window)) {
            continue;
        }
        if (stringProperty(connection, window, atoms("_NET_WM_NAME")) == title ||
            stringProperty(connection, window, XCB_ATOM_WM_NAME) == title) {
            return window;
        }
        if (levels > 1) {
            if (const auto found = search(connection, atoms, window, title, levels - 1)) {
                return found;
            }
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<xcb_window_t> findViewableWindowTitled(xcb_connection_t* connection,
                                                     const std::string& title) {
    Atoms atoms(connection);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    return search(connection, atoms, root, title, 3);
}

} // namespace vantile::test
