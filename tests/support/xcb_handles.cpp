#include "support/xcb_handles.h"

#include <algorithm>

namespace vantile::test {

XcbConnection connectToDisplay(const std::string& display) {
    XcbConnection connection(xcb_connect(display.c_str(), nullptr));
    if (const int error = xcb_connection_has_error(connection.get()); error != 0) {
        throw HarnessError("cannot connect to the X display " + display + " (xcb error " +
                           std::to_string(error) + ")");
    }
    return connection;
}

void roundTrip(xcb_connection_t* connection) {
    XcbReply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

xcb_atom_t Atoms::operator()(std::string_view name) {
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection_,
        xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::optional<std::vector<std::uint32_t>> readProperty32(xcb_connection_t* connection,
                                                         xcb_window_t window, xcb_atom_t property) {
    xcb_generic_error_t* error = nullptr;
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096),
        &error));
    XcbReply<xcb_generic_error_t> ownedError(error);
    if (!reply || reply->type == XCB_ATOM_NONE || reply->format != 32) {
        return std::nullopt;
    }
    const auto* items = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<std::uint32_t>(items, items + reply->value_len);
}

void writeProperty32(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                     xcb_atom_t type, const std::vector<std::uint32_t>& items) {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, type, 32,
                        static_cast<std::uint32_t>(items.size()), items.data());
}

} // namespace vantile::test
