#include "support/x_properties.h"

#include <algorithm>
#include <cstring>

#include "support/harness_error.h"
#include "support/xcb_handles.h"

namespace vantile::test {

namespace {

// Long enough for every property the tests read (window lists of a few hundred windows).
constexpr std::uint32_t kMaxPropertyItems = 4096;
constexpr std::size_t kClientMessageItems = 5;

} // namespace

xcb_atom_t Atoms::operator()(std::string_view name) {
    if (const auto found = cache_.find(name); found != cache_.end()) {
        return found->second;
    }
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection_,
        xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr));
    if (!reply) {
        throw HarnessError("cannot intern the atom " + std::string(name));
    }
    cache_.emplace(std::string(name), reply->atom);
    return reply->atom;
}

std::string Atoms::nameOf(xcb_atom_t atom) const {
    XcbReply<xcb_get_atom_name_reply_t> reply(
        xcb_get_atom_name_reply(connection_, xcb_get_atom_name(connection_, atom), nullptr));
    if (!reply) {
        return "atom " + std::to_string(atom);
    }
    return std::string(xcb_get_atom_name_name(reply.get()),
                       static_cast<std::size_t>(xcb_get_atom_name_name_length(reply.get())));
}

std::optional<std::vector<std::uint32_t>> readProperty32(xcb_connection_t* connection,
                                                         xcb_window_t window, xcb_atom_t property) {
    xcb_generic_error_t* error = nullptr;
    XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, window, property,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxPropertyItems),
                               &error));
    XcbReply<xcb_generic_error_t> ownedError(error);
    if (!reply || reply->type == XCB_ATOM_NONE || reply->format != 32) {
        return std::nullopt;
    }
    const auto* items = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<std::uint32_t>(items, items + reply->value_len);
}

std::optional<std::uint32_t> readFirst32(xcb_connection_t* connection, xcb_window_t window,
                                         xcb_atom_t property) {
    const auto items = readProperty32(connection, window, property);
    if (!items || items->empty()) {
        return std::nullopt;
    }
    return items->front();
}

void writeProperty32(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                     xcb_atom_t type, const std::vector<std::uint32_t>& items) {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, type, 32,
                        static_cast<std::uint32_t>(items.size()), items.data());
}

void writePropertyBytes(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                        xcb_atom_t type, std::string_view bytes) {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, type, 8,
                        static_cast<std::uint32_t>(bytes.size()), bytes.data());
}

void sendToRoot(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window,
                xcb_atom_t type, const std::vector<std::uint32_t>& data) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::copy_n(data.begin(), std::min(data.size(), kClientMessageItems), event.data.data32);
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}

} // namespace vantile::test
