#pragma once

// What a user sees as a window is neither the client window nor the window manager's frame alone:
// it is the client grown by the decorations the window manager draws around it, less the
// shadows a client-side-decorated program draws inside its own window.

#include <cstdint>
#include <span>

#include "base/geometry.h"

namespace vantile {

struct Extents {
    double left = 0;
    double right = 0;
    double top = 0;
    double bottom = 0;
    friend bool operator==(const Extents&, const Extents&) = default;
};

// Extents from the four values (left, right, top, bottom) of _NET_FRAME_EXTENTS or
// _GTK_FRAME_EXTENTS; anything else counts as none.
Extents extentsFrom(std::span<const std::uint32_t> values);

Rect visibleFrame(const Rect& client, const Extents& frame, const Extents& shadow);

// The client rectangle that shows as the given visible frame, in whole pixels and at least one
// pixel wide and high.
struct ClientRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 1;
    std::int32_t height = 1;
    friend bool operator==(const ClientRect&, const ClientRect&) = default;
};
ClientRect clientRectFor(const Rect& visible, const Extents& frame, const Extents& shadow);

} // namespace vantile
