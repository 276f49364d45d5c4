#include "support/ewmh.h"

#include <algorithm>

namespace vantile::test {

std::optional<xcb_window_t> supportingWmCheck(xcb_connection_t* connection, Atoms& atoms,
                                              xcb_window_t root) {
    const xcb_atom_t check = atoms("_NET_SUPPORTING_WM_CHECK");
    const auto window = readFirst32(connection, root, check);
    if (!window || *window == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    if (readFirst32(connection, *window, check) != window) {
        return std::nullopt;
    }
    return *window;
}

bool wmSupports(xcb_connection_t* connection, Atoms& atoms, xcb_window_t root, xcb_atom_t hint) {
    const auto supported = readProperty32(connection, root, atoms("_NET_SUPPORTED"));
    return supported && std::find(supported->begin(), supported->end(), hint) != supported->end();
}

std::optional<xcb_window_t> activeWindow(xcb_connection_t* connection, Atoms& atoms,
                                         xcb_window_t root) {
    const auto window = readFirst32(connection, root, atoms("_NET_ACTIVE_WINDOW"));
    if (!window || *window == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    return *window;
}

std::vector<xcb_window_t> clientList(xcb_connection_t* connection, Atoms& atoms,
                                     xcb_window_t root) {
    return readProperty32(connection, root, atoms("_NET_CLIENT_LIST"))
        .value_or(std::vector<xcb_window_t>{});
}

} // namespace vantile::test
