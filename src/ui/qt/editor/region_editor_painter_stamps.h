#pragma once

// Small antialiased shapes drawn from images. Qt rasterises even a tiny path at a cost of tens
// of microseconds, and an outline's rim can yield enough spans for Qt to hand them to its
// thread pool; a frame draws a few hundred such shapes. Each is drawn once into a small image,
// for where it falls inside a device pixel, kept for the frames after, and blitted.

#include <QColor>
#include <QPainter>
#include <QRectF>

#include <array>
#include <compare>
#include <functional>

namespace vantile {

enum class StampKind { splitGlyph, outlineCorner, fillCorner, roundedRect, oval };

// Everything that decides a shape's pixels relative to its bounds' top-left corner, apart from
// where inside a device pixel that corner falls.
struct StampShape {
    StampKind kind = StampKind::splitGlyph;
    // The shape's sizes, and which of its kind, as the drawing code numbers them.
    std::array<double, 3> measures{};
    quint64 color = 0;
    auto operator<=>(const StampShape&) const = default;
};

// What `draw` draws inside `bounds`, through an image kept for `shape`. On a surface that does
// not map whole logical pixels one to one onto device pixels, `draw` draws in place.
void drawStamp(QPainter& painter, const StampShape& shape, const QRectF& bounds,
               const std::function<void(QPainter&)>& draw);

} // namespace vantile
