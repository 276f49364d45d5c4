#include "ui/qt/editor/region_editor_painter_glyphs.h"

#include "ui/qt/editor/region_editor_painter_stamps.h"

namespace vantile {

namespace {

// A 16 × 14 rounded frame with one dividing line.
constexpr double kGlyphWidth = 16;
constexpr double kGlyphHeight = 14;
constexpr double kGlyphRadius = 3;
constexpr double kGlyphLineWidth = 1.5;

} // namespace

QPainterPath splitGlyphPath(SplitGlyph glyph) {
    // Inset by half the line so that the stroke's outer edge is the glyph's size.
    const double half = kGlyphLineWidth / 2;
    const QRectF frame(half, half, kGlyphWidth - kGlyphLineWidth, kGlyphHeight - kGlyphLineWidth);
    QPainterPath path;
    path.addRoundedRect(frame, kGlyphRadius, kGlyphRadius);
    if (glyph == SplitGlyph::rows) {
        path.moveTo(frame.left(), kGlyphHeight / 2);
        path.lineTo(frame.right(), kGlyphHeight / 2);
    } else {
        path.moveTo(kGlyphWidth / 2, frame.top());
        path.lineTo(kGlyphWidth / 2, frame.bottom());
    }
    return path;
}

QPen splitGlyphPen(const QColor& color) {
    return QPen(color, kGlyphLineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
}

QSizeF splitGlyphSize() {
    return {kGlyphWidth, kGlyphHeight};
}

void drawSplitGlyph(QPainter& painter, SplitGlyph glyph, const QPointF& topLeft,
                    const QColor& color) {
    const StampShape shape{
        StampKind::splitGlyph, {static_cast<double>(glyph), 0, 0}, color.rgba64()};
    drawStamp(painter, shape, QRectF(topLeft, splitGlyphSize()), [&](QPainter& target) {
        target.strokePath(splitGlyphPath(glyph).translated(topLeft), splitGlyphPen(color));
    });
}

} // namespace vantile
