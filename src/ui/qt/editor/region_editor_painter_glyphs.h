#pragma once

// The split buttons' symbols.

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>

#include "core/editor/region_editor_paint.h"

namespace vantile {

// The symbol's outline and dividing line, its box's top-left corner at the origin.
QPainterPath splitGlyphPath(SplitGlyph glyph);

// The pen the symbol is stroked with.
QPen splitGlyphPen(const QColor& color);

// The symbol with its box's top-left corner at `topLeft`, as stroking splitGlyphPath there
// would draw it, from an image kept for the next frames.
void drawSplitGlyph(QPainter& painter, SplitGlyph glyph, const QPointF& topLeft,
                    const QColor& color);

// How wide and tall the symbol's box is.
QSizeF splitGlyphSize();

} // namespace vantile
