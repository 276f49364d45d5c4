#pragma once

// Struts: the space a panel or dock reserves along an edge of the root window, which other windows
// should not cover. The usable part of a monitor is what the struts touching it leave free.

#include <cstdint>
#include <span>
#include <vector>

#include "base/geometry.h"

namespace vantile {

enum class Edge { left, right, top, bottom };

struct Strut {
    Edge edge = Edge::left;
    Rect area; // root coordinates
};

// The struts a window declares: from the 12 values of _NET_WM_STRUT_PARTIAL when it has them,
// otherwise from the 4 of _NET_WM_STRUT, which reserve the whole length of each edge.
std::vector<Strut> strutsOf(std::span<const std::uint32_t> partial,
                            std::span<const std::uint32_t> legacy, const Size& rootSize);

// What the window manager's work area (one rectangle for the whole root) reserves at each edge of
// the root beyond what the struts already do, as struts along the whole edge. A window manager that
// keeps space for its own toolbar without a strut window (Fluxbox) is so heard, while the work
// area of several monitors, which the struts explain, adds nothing.
std::vector<Strut> workAreaStruts(const Rect& workArea, const Size& rootSize,
                                  std::span<const Strut> struts);

// The monitor less every strut that overlaps it: each such strut pushes its edge of the monitor
// to the strut's inner edge.
Rect usableArea(const Rect& monitor, std::span<const Strut> struts);

} // namespace vantile
