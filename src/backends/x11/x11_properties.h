#pragma once

// Reading window properties and sending the client messages of the window-manager conventions.

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_reply.h"

namespace vantile {

using PendingProperty = Pending<&xcb_get_property_reply>;

// Asks for up to maxValues 32-bit values of a property of the given type.
PendingProperty requestProperty(X11Connection& connection, xcb_window_t window, xcb_atom_t property,
                                xcb_atom_t type, std::uint32_t maxValues = 1024);

// The 32-bit values of the property: none when the read failed (usually because the window has
// gone), an empty list when the window lacks the property or holds it in another type or format.
std::optional<std::vector<std::uint32_t>> takeValues(PendingProperty& request,
                                                     xcb_atom_t expectedType);

// The first value of a property read, if the read succeeded and the property has one.
std::optional<std::uint32_t> firstValue(const std::optional<std::vector<std::uint32_t>>& values);

bool listsValue(const std::vector<std::uint32_t>& values, std::uint32_t value);

// Sends a 32-bit client message about `window` to the root window, where the window manager
// listens for requests from other programs.
void sendToWindowManager(X11Connection& connection, xcb_window_t window, xcb_atom_t type,
                         const std::array<std::uint32_t, 5>& data);

// Who asks the window manager for something; a pager is obeyed where an application's request
// might be refused as focus stealing.
constexpr std::uint32_t kSourcePager = 2;

} // namespace vantile
