#include "editor/ui/region_editor_painter.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QWidget>

#include "editor/ui/region_editor_painter_shapes.h"

namespace vantile {

namespace {

// The split symbols: a 16 × 14 rounded frame with one dividing line.
constexpr double kGlyphWidth = 16;
constexpr double kGlyphHeight = 14;
constexpr double kGlyphRadius = 3;
constexpr double kGlyphLineWidth = 1.5;

struct Executor {
    QPainter& painter;
    const EditorPaintStyle& style;
    double height;

    QRectF rect(const Rect& r) const { return {r.x, height - r.y - r.height, r.width, r.height}; }
    QPointF point(const Point& p) const { return {p.x, height - p.y}; }

    QColor color(const PaintColor& c) const {
        QColor base = c.base == ColorBase::black   ? QColor(Qt::black)
                      : c.base == ColorBase::white ? QColor(Qt::white)
                                                   : style.accent;
        base.setAlphaF(static_cast<float>(c.alpha));
        return base;
    }

    QPen pen(const PaintColor& c, double width) const {
        return QPen(color(c), width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    }

    void operator()(const paint::FillRect& op) const {
        fillRectPieces(painter, rect(op.rect), color(op.color),
                       op.composition == Composition::source
                           ? QPainter::CompositionMode_Source
                           : QPainter::CompositionMode_SourceOver);
    }

    void operator()(const paint::FillRoundedRect& op) const {
        const std::optional<QColor> under =
            op.over ? std::optional<QColor>(color(*op.over)) : std::nullopt;
        fillRoundedRectPieces(painter, rect(op.rect), op.radius, color(op.color), under);
    }

    void operator()(const paint::StrokeRoundedRect& op) const {
        strokeRoundedRectPieces(painter, rect(op.rect), op.radius, op.lineWidth, color(op.color));
    }

    void operator()(const paint::FillOval& op) const {
        QPainterPath path;
        path.addEllipse(rect(op.rect));
        painter.fillPath(path, color(op.color));
    }

    void operator()(const paint::StrokeSegments& op) const {
        QPainterPath path;
        for (const auto& [from, to] : op.segments) {
            path.moveTo(point(from));
            path.lineTo(point(to));
        }
        painter.strokePath(path, pen(op.color, op.lineWidth));
    }

    void operator()(const paint::Text& op) const {
        const QRectF box(op.origin.x, height - op.origin.y - op.size.height, op.size.width,
                         op.size.height);
        painter.setFont(op.font == FontRole::size ? style.sizeFont : style.labelFont);
        painter.setPen(color(op.color));
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine,
                         QString::fromStdString(op.text));
    }

    void operator()(const paint::Glyph& op) const {
        const QRectF button = rect(op.button);
        const QPointF c = button.center();
        // Inset by half the line so that the stroke's outer edge is the glyph's size.
        const double half = kGlyphLineWidth / 2;
        const QRectF frame(c.x() - kGlyphWidth / 2 + half, c.y() - kGlyphHeight / 2 + half,
                           kGlyphWidth - kGlyphLineWidth, kGlyphHeight - kGlyphLineWidth);
        QPainterPath path;
        path.addRoundedRect(frame, kGlyphRadius, kGlyphRadius);
        if (op.glyph == SplitGlyph::rows) {
            path.moveTo(frame.left(), c.y());
            path.lineTo(frame.right(), c.y());
        } else {
            path.moveTo(c.x(), frame.top());
            path.lineTo(c.x(), frame.bottom());
        }
        painter.strokePath(path, pen(op.color, kGlyphLineWidth));
    }
};

} // namespace

EditorPaintStyle editorPaintStyle(const QWidget& widget) {
    EditorPaintStyle style;
    // The active group for every screen's editor, so that windows that are not focused show the
    // same accent as the one that is.
    style.accent = widget.palette().color(QPalette::Active, QPalette::Highlight);
    // Pixel sizes: the editor's sizes are in view points, which are Qt's device-independent
    // pixels, not typographic points scaled by the screen's dots per inch.
    style.sizeFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    style.sizeFont.setPixelSize(13);
    style.sizeFont.setWeight(QFont::Medium);
    style.labelFont = QApplication::font();
    style.labelFont.setPixelSize(11);
    style.labelFont.setWeight(QFont::Normal);
    return style;
}

TextMeasure editorTextMeasure(const EditorPaintStyle& style) {
    return [sizeMetrics = QFontMetricsF(style.sizeFont),
            labelMetrics = QFontMetricsF(style.labelFont)](const std::string& text, FontRole role) {
        const QFontMetricsF& metrics = role == FontRole::size ? sizeMetrics : labelMetrics;
        return Size{metrics.horizontalAdvance(QString::fromStdString(text)), metrics.height()};
    };
}

void paintEditorOperations(QPainter& painter, const std::vector<PaintOperation>& operations,
                           const EditorPaintStyle& style, double viewHeight) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const Executor executor{painter, style, viewHeight};
    for (const PaintOperation& operation : operations) {
        std::visit(executor, operation);
    }
    painter.restore();
}

} // namespace vantile
