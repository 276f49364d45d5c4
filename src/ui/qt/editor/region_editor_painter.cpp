#include "ui/qt/editor/region_editor_painter.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QRegion>
#include <QWidget>

#include "ui/qt/editor/region_editor_painter_glyphs.h"
#include "ui/qt/editor/region_editor_painter_shapes.h"
#include "ui/qt/editor/region_editor_painter_stamps.h"

namespace vantile {

namespace {

struct Executor {
    QPainter& painter;
    const EditorPaintStyle& style;
    double height;

    QRectF rect(const Rect& r) const { return {r.x, height - r.y - r.height, r.width, r.height}; }
    QPointF point(const Point& p) const { return {p.x, height - p.y}; }

    QColor color(const PaintColor& c) const { return editorColor(c, style); }

    QPen pen(const PaintColor& c, double width) const {
        return QPen(color(c), width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    }

    void operator()(const paint::FillRect& op) const {
        fillRectPieces(painter, rect(op.rect), color(op.color),
                       op.composition == Composition::source
                           ? QPainter::CompositionMode_Source
                           : QPainter::CompositionMode_SourceOver);
    }

    // The bodies written outright over the veil, with it already mixed in, leave nothing of it
    // showing where they go: the veil is written only around them. They cover most of a frame,
    // and writing the veil first would touch every pixel twice.
    void fillVeil(const paint::FillRect& veil,
                  const std::vector<PaintOperation>& operations) const {
        const QRectF r = rect(veil.rect);
        if (r != QRectF(r.toRect()) || painter.deviceTransform().type() > QTransform::TxScale) {
            (*this)(veil);
            return;
        }
        QRegion cores;
        for (const PaintOperation& operation : operations) {
            const auto* body = std::get_if<paint::FillRoundedRect>(&operation);
            if (body && body->over == veil.color) {
                cores += roundedRectCore(rect(body->rect), body->radius);
            }
        }
        for (const QRect& piece : QRegion(r.toRect()).subtracted(cores)) {
            fillRectPieces(painter, piece, color(veil.color), QPainter::CompositionMode_Source);
        }
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
        const QRectF r = rect(op.rect);
        const QColor c = color(op.color);
        const StampShape shape{StampKind::oval, {r.width(), r.height(), 0}, c.rgba64()};
        drawStamp(painter, shape, r, [&](QPainter& target) {
            QPainterPath path;
            path.addEllipse(r);
            target.fillPath(path, c);
        });
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
        const QSizeF size = splitGlyphSize();
        const QPointF topLeft(button.center().x() - size.width() / 2,
                              button.center().y() - size.height() / 2);
        drawSplitGlyph(painter, op.glyph, topLeft, color(op.color));
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

QColor editorColor(const PaintColor& color, const EditorPaintStyle& style) {
    QColor base = color.base == ColorBase::black   ? QColor(Qt::black)
                  : color.base == ColorBase::white ? QColor(Qt::white)
                                                   : style.accent;
    base.setAlphaF(static_cast<float>(color.alpha));
    return base;
}

void paintEditorOperations(QPainter& painter, const std::vector<PaintOperation>& operations,
                           const EditorPaintStyle& style, double viewHeight) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const Executor executor{painter, style, viewHeight};
    for (const PaintOperation& operation : operations) {
        const auto* fill = std::get_if<paint::FillRect>(&operation);
        // Only the first operation can be the veil: nothing is under it but the surface.
        if (fill && &operation == &operations.front() && fill->composition == Composition::source) {
            executor.fillVeil(*fill, operations);
        } else {
            std::visit(executor, operation);
        }
    }
    painter.restore();
}

} // namespace vantile
