#include "backends/x11/x11_properties.h"

#include <algorithm>

namespace vantile {

PendingProperty requestProperty(X11Connection& connection, xcb_window_t window, xcb_atom_t property,
                                xcb_atom_t type, std::uint32_t maxValues) {
    return PendingProperty(
        connection, xcb_get_property(connection.raw(), 0, window, property, type, 0, maxValues));
}

std::optional<std::vector<std::uint32_t>> takeValues(PendingProperty& request,
                                                     xcb_atom_t expectedType) {
    auto reply = request.get();
    if (!reply) {
        return std::nullopt;
    }
    std::vector<std::uint32_t> values;
    if (reply->type != expectedType || reply->format != 32) {
        return values;
    }
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    values.assign(data, data + reply->value_len);
    return values;
}

std::optional<std::uint32_t> firstValue(const std::optional<std::vector<std::uint32_t>>& values) {
    if (!values || values->empty()) {
        return std::nullopt;
    }
    return values->front();
}

bool listsValue(const std::vector<std::uint32_t>& values, std::uint32_t value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

void sendToWindowManager(X11Connection& connection, xcb_window_t window, xcb_atom_t type,
                         const std::array<std::uint32_t, 5>& data) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = type;
    for (std::size_t i = 0; i < data.size(); ++i) {
        message.data.data32[i] = data[i];
    }
    static_assert(sizeof message == 32, "X events are 32 bytes on the wire");
    xcb_send_event(connection.raw(), 0, connection.root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
}

} // namespace vantile
