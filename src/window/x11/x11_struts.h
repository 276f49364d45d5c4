#pragma once

// Struts: the space a panel or dock reserves along an edge of the root window, which other windows
// should not cover. The usable part of a monitor is what the struts touching it leave free.

#include <cstdint>
#include <span>
#include <vector>

#include "window/geometry.h"

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

// The monitor less every strut that overlaps it: each such strut pushes its edge of the monitor
// to the strut's inner edge.
Rect usableArea(const Rect& monitor, std::span<const Strut> struts);

} // namespace vantile
