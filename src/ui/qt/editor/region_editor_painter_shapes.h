#pragma once

// Rect and rounded-rect drawing for the editor's full-screen frame, cut into pieces that Qt's
// raster engine fills quickly. Drawn whole, a tall shape yields hundreds of span batches and Qt
// hands each batch to its GUI thread pool; the hand-offs cost far more than the pixels on a
// busy two-core machine. The pieces meet on whole-pixel lines, so no pixel is covered twice
// and the result matches the whole shape up to antialiasing noise.

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QRegion>

#include <optional>

namespace vantile {

// An axis-aligned rect, antialiased, composed with `mode`.
void fillRectPieces(QPainter& painter, const QRectF& rect, const QColor& color,
                    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver);

// A rounded rect filled with `color` over what is there. When every pixel of the rect holds
// `under`, last written with CompositionMode_Source, the interior is written once with both
// already mixed.
void fillRoundedRectPieces(QPainter& painter, const QRectF& rect, double radius,
                           const QColor& color, const std::optional<QColor>& under);

// The whole pixels that fillRoundedRectPieces writes outright, whatever was there, when it is
// given `under`: its straight cross, partly covered rims included. Empty for a rect too small.
QRegion roundedRectCore(const QRectF& rect, double radius);

// A rounded rect's outline, centred on its edge, with flat caps and miter joins.
void strokeRoundedRectPieces(QPainter& painter, const QRectF& rect, double radius, double width,
                             const QColor& color);

// `top` composed over `under`, as source-over would leave it.
QColor composedOver(const QColor& top, const QColor& under);

} // namespace vantile
