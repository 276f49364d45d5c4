#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

#include "backends/x11/x11_connection.h"

namespace vantile {

// Adds to the events this client hears on each window, keeping the ones it selected before:
// several parts of the program select their own on the same windows. One round trip for all;
// windows that have gone are skipped.
void addEventMask(X11Connection& connection, const std::vector<xcb_window_t>& windows,
                  std::uint32_t mask);

} // namespace vantile
