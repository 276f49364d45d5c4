#pragma once

// The desktop measures everything from its own top-left corner, y down (on X, the root window's
// corner; "root" below means that space). The program works in two other spaces, both anchored on
// the primary monitor: screen space (origin at its bottom-left, y up) for screens, and window space
// (origin at its top-left, y down) for window frames.

#include "base/geometry.h"

namespace vantile {

inline Rect rootToScreenSpace(const Rect& r, const Rect& primary) {
    return {r.x - primary.x, primary.maxY() - r.maxY(), r.width, r.height};
}

inline Point rootToScreenSpace(const Point& p, const Rect& primary) {
    return {p.x - primary.x, primary.maxY() - p.y};
}

inline Point rootToWindowSpace(const Point& p, const Rect& primary) {
    return {p.x - primary.x, p.y - primary.y};
}

inline Point windowSpaceToRoot(const Point& p, const Rect& primary) {
    return {p.x + primary.x, p.y + primary.y};
}

} // namespace vantile
