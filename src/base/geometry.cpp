#include "base/geometry.h"

#include <algorithm>

namespace vantile {

Rect standardized(const Rect& r) {
    Rect s = r;
    if (s.width < 0) {
        s.x += s.width;
        s.width = -s.width;
    }
    if (s.height < 0) {
        s.y += s.height;
        s.height = -s.height;
    }
    return s;
}

std::optional<Rect> intersection(const Rect& a, const Rect& b) {
    const Rect p = standardized(a);
    const Rect q = standardized(b);
    const double x0 = std::max(p.minX(), q.minX());
    const double y0 = std::max(p.minY(), q.minY());
    const double x1 = std::min(p.maxX(), q.maxX());
    const double y1 = std::min(p.maxY(), q.maxY());
    if (x1 <= x0 || y1 <= y0) {
        return std::nullopt;
    }
    return Rect{x0, y0, x1 - x0, y1 - y0};
}

Rect inset(const Rect& r, double dx, double dy) {
    return Rect{r.x + dx, r.y + dy, r.width - 2 * dx, r.height - 2 * dy};
}

Rect flipRect(const Rect& r, double primaryHeight) {
    return Rect{r.x, primaryHeight - r.y - r.height, r.width, r.height};
}

Point flipPoint(const Point& p, double primaryHeight) {
    return Point{p.x, primaryHeight - p.y};
}

bool contains(const Rect& r, const Point& p) {
    return p.x >= r.minX() && p.x < r.maxX() && p.y >= r.minY() && p.y < r.maxY();
}

} // namespace vantile
