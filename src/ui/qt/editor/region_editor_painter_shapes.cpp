#include "ui/qt/editor/region_editor_painter_shapes.h"

#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>

#include "ui/qt/editor/region_editor_painter_stamps.h"

namespace vantile {

namespace {

// Rows per fill: Qt's raster engine blends up to 95 spans on the calling thread. A rect on
// whole pixels makes one span a row; an antialiased one at most three (two partial pixels and
// the run between them).
constexpr int kWholeBandRows = 95;
constexpr int kBandRows = 31;
// Buttons and size pills: small enough that an image of each is cheap to keep.
constexpr double kMaxStampSide = 64;

bool isWholePixels(const QRectF& r) {
    auto whole = [](double v) { return v == std::floor(v); };
    return whole(r.left()) && whole(r.top()) && whole(r.right()) && whole(r.bottom());
}

// Whole-pixel lines past the corner arcs: between them the sides are straight.
struct Straights {
    double left, right, top, bottom;
};

std::optional<Straights> straightsOf(const QRectF& r, double radius) {
    if (radius <= 0 || radius > std::min(r.width(), r.height()) / 2) {
        return std::nullopt;
    }
    const Straights s{std::ceil(r.left() + radius), std::floor(r.right() - radius),
                      std::ceil(r.top() + radius), std::floor(r.bottom() - radius)};
    if (s.left > s.right || s.top > s.bottom) {
        return std::nullopt;
    }
    return s;
}

// One corner of a rounded rect, from the cut across one side, around the arc, to the cut
// across the other, as QPainterPath::addRoundedRect draws its arcs.
struct Corner {
    QPointF from;
    QRectF arcBox;
    double startAngle;
    QPointF to;
    // The corner of the piece's box that faces the rect's centre.
    QPointF inner;
};

std::array<Corner, 4> cornersOf(const QRectF& r, double radius, const Straights& s) {
    const double d = 2 * radius;
    const double l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();
    return {{
        {{l, s.top}, {l, t, d, d}, 180, {s.left, t}, {s.left, s.top}},
        {{s.right, t}, {rt - d, t, d, d}, 90, {rt, s.top}, {s.right, s.top}},
        {{rt, s.bottom}, {rt - d, b - d, d, d}, 0, {s.right, b}, {s.right, s.bottom}},
        {{s.left, b}, {l, b - d, d, d}, 270, {l, s.bottom}, {s.left, s.bottom}},
    }};
}

void addCornerArc(QPainterPath& path, const Corner& c) {
    path.moveTo(c.from);
    // arcTo joins the current point to the arc's start with a line.
    path.arcTo(c.arcBox, c.startAngle, -90);
    path.lineTo(c.to);
}

// Each corner's piece from an image: its pixels depend only on where inside a pixel its arc's
// box starts, the radius, the line, the colour and which corner it is.
void stampCorners(QPainter& painter, const std::array<Corner, 4>& corners, const QColor& color,
                  double lineWidth) {
    // A line width of zero fills the corners instead.
    const StampKind kind = lineWidth > 0 ? StampKind::outlineCorner : StampKind::fillCorner;
    const QPen pen(color, lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    const double half = lineWidth / 2;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const Corner& c = corners[i];
        const StampShape shape{
            kind, {static_cast<double>(i), c.arcBox.width(), lineWidth}, color.rgba64()};
        const QRectF bounds = c.arcBox.adjusted(-half, -half, half, half);
        drawStamp(painter, shape, bounds, [&](QPainter& target) {
            QPainterPath path;
            addCornerArc(path, c);
            if (lineWidth > 0) {
                target.strokePath(path, pen);
                return;
            }
            path.lineTo(c.inner);
            path.closeSubpath();
            target.fillPath(path, color);
        });
    }
}

QPainterPath wholeRoundedRect(const QRectF& rect, double radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QRectF between(double left, double top, double right, double bottom) {
    return {QPointF(left, top), QPointF(right, bottom)};
}

// The straight part of the fill, over what is there: a cross of three rects.
void fillCross(QPainter& painter, const QRectF& r, const Straights& s, const QColor& color) {
    fillRectPieces(painter, between(r.left(), s.top, r.right(), s.bottom), color);
    fillRectPieces(painter, between(s.left, r.top(), s.right, s.top), color);
    fillRectPieces(painter, between(s.left, s.bottom, s.right, r.bottom()), color);
}

// The same cross written with its final colours, when every pixel under it holds `under`: a
// single memory fill per piece. Partly covered rows and columns get the fill scaled by their
// coverage, as antialiasing would compose it.
void writeCrossOver(QPainter& painter, const QRectF& r, const Straights& s, const QColor& color,
                    const QColor& under) {
    auto write = [&](const QRectF& pixels, double coverage) {
        if (coverage <= 0) {
            return;
        }
        QColor covered = color;
        covered.setAlphaF(static_cast<float>(color.alphaF() * coverage));
        fillRectPieces(painter, pixels, composedOver(covered, under),
                       QPainter::CompositionMode_Source);
    };
    const double l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();
    const double l0 = std::floor(l), l1 = std::ceil(l), r0 = std::floor(rt), r1 = std::ceil(rt);
    const double t0 = std::floor(t), t1 = std::ceil(t), b0 = std::floor(b), b1 = std::ceil(b);
    write(between(l1, s.top, r0, s.bottom), 1);
    write(between(l0, s.top, l1, s.bottom), l1 - l);
    write(between(r0, s.top, r1, s.bottom), rt - r0);
    write(between(s.left, t1, s.right, s.top), 1);
    write(between(s.left, t0, s.right, t1), t1 - t);
    write(between(s.left, s.bottom, s.right, b0), 1);
    write(between(s.left, b0, s.right, b1), b - b0);
}

// Bands cut on whole rows, so that no pixel is composed twice. Only the part the painter can
// show is walked: a rect far off (a layout with absurd numbers) would take bands without end.
void fillBands(QPainter& painter, const QRectF& whole, const QColor& color, int rows) {
    const QRectF shown = painter.worldTransform().inverted().mapRect(QRectF(painter.window()));
    const QRectF rect = whole.intersected(shown.adjusted(-rows, -rows, rows, rows));
    for (double y = rect.top(); y < rect.bottom();) {
        const double next = std::min(std::floor(y) + rows, rect.bottom());
        painter.fillRect(QRectF(rect.left(), y, rect.width(), next - y), color);
        y = next;
    }
}

} // namespace

void fillRectPieces(QPainter& painter, const QRectF& rect, const QColor& color,
                    QPainter::CompositionMode mode) {
    if (rect.width() <= 0 || rect.height() <= 0) {
        return;
    }
    const QPainter::CompositionMode before = painter.compositionMode();
    const bool antialiased = painter.testRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(mode);
    if (!isWholePixels(rect)) {
        fillBands(painter, rect, color, kBandRows);
    } else {
        // Nothing to antialias; without it Qt fills whole rows, and replacing or opaque fills
        // become plain memory fills, done on this thread whatever the size.
        painter.setRenderHint(QPainter::Antialiasing, false);
        if (mode == QPainter::CompositionMode_Source || color.alpha() == 255) {
            painter.fillRect(rect, color);
        } else {
            fillBands(painter, rect, color, kWholeBandRows);
        }
    }
    painter.setRenderHint(QPainter::Antialiasing, antialiased);
    painter.setCompositionMode(before);
}

void fillRoundedRectPieces(QPainter& painter, const QRectF& rect, double radius,
                           const QColor& color, const std::optional<QColor>& under) {
    if (!under && rect.width() <= kMaxStampSide && rect.height() <= kMaxStampSide) {
        const StampShape shape{
            StampKind::roundedRect, {rect.width(), rect.height(), radius}, color.rgba64()};
        drawStamp(painter, shape, rect, [&](QPainter& target) {
            target.fillPath(wholeRoundedRect(rect, radius), color);
        });
        return;
    }
    const std::optional<Straights> s = straightsOf(rect, radius);
    if (!s) {
        painter.fillPath(wholeRoundedRect(rect, radius), color);
        return;
    }
    if (under) {
        writeCrossOver(painter, rect, *s, color, *under);
    } else {
        fillCross(painter, rect, *s, color);
    }
    stampCorners(painter, cornersOf(rect, radius, *s), color, 0);
}

QRegion roundedRectCore(const QRectF& rect, double radius) {
    const std::optional<Straights> s = straightsOf(rect, radius);
    if (!s) {
        return {};
    }
    // As writeCrossOver cuts it: the rims' partly covered pixels are written too.
    const QRect across =
        between(std::floor(rect.left()), s->top, std::ceil(rect.right()), s->bottom).toRect();
    const QRect down =
        between(s->left, std::floor(rect.top()), s->right, std::ceil(rect.bottom())).toRect();
    return QRegion(across).united(down);
}

void strokeRoundedRectPieces(QPainter& painter, const QRectF& rect, double radius, double width,
                             const QColor& color) {
    const QPen pen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    const double half = width / 2;
    const std::optional<Straights> s = straightsOf(rect, radius);
    // A line as wide as the corner's diameter turns its inner edge inside out: draw it whole.
    if (!s || half >= radius) {
        painter.strokePath(wholeRoundedRect(rect, radius), pen);
        return;
    }
    const double l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
    fillRectPieces(painter, between(l - half, s->top, l + half, s->bottom), color);
    fillRectPieces(painter, between(r - half, s->top, r + half, s->bottom), color);
    fillRectPieces(painter, between(s->left, t - half, s->right, t + half), color);
    fillRectPieces(painter, between(s->left, b - half, s->right, b + half), color);
    stampCorners(painter, cornersOf(rect, radius, *s), color, width);
}

QColor composedOver(const QColor& top, const QColor& under) {
    const double ta = top.alphaF(), ua = under.alphaF();
    const double a = ta + ua * (1 - ta);
    if (a <= 0) {
        return QColor(Qt::transparent);
    }
    auto mix = [&](double t, double u) { return (t * ta + u * ua * (1 - ta)) / a; };
    QColor out;
    out.setRgbF(static_cast<float>(mix(top.redF(), under.redF())),
                static_cast<float>(mix(top.greenF(), under.greenF())),
                static_cast<float>(mix(top.blueF(), under.blueF())), static_cast<float>(a));
    return out;
}

} // namespace vantile
