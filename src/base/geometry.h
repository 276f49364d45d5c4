#pragma once

#include <optional>

namespace vantile {

// Points, sizes and rects in points, as 64-bit doubles. Frames are never rounded here; only the
// X11 layer brings them to whole pixels when it writes them.
struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double minX() const { return x; }
    double midX() const { return x + width / 2; }
    double maxX() const { return x + width; }
    double minY() const { return y; }
    double midY() const { return y + height / 2; }
    double maxY() const { return y + height; }
    Point origin() const { return {x, y}; }
    Size size() const { return {width, height}; }

    friend bool operator==(const Rect&, const Rect&) = default;
};

// Normalised copy: negative widths or heights turned into positive ones with the origin moved.
Rect standardized(const Rect& r);

// The overlapping part of two rects, or none when they do not overlap with a positive area
// (rects that only touch along an edge do not intersect).
std::optional<Rect> intersection(const Rect& a, const Rect& b);

// Whether the point lies in the rect; the left and bottom edges are inside, the right and top
// edges are not, so that neighbouring rects never share a point.
bool contains(const Rect& r, const Point& p);

// The rect shrunk by dx on the left and right and dy on the top and bottom.
Rect inset(const Rect& r, double dx, double dy);

// Converts between the top-left, y-down space of window frames and the bottom-left, y-up space
// of screen frames. The same formula works in both directions.
Rect flipRect(const Rect& r, double primaryHeight);
Point flipPoint(const Point& p, double primaryHeight);

} // namespace vantile
