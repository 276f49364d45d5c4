#include "ui/qt/snap_preview_model.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "base/desktop_space.h"

namespace vantile {
namespace {

// A radius larger than half the short side would make the corners overlap.
qreal fittingRadius(const QRectF& rect, qreal radius) {
    return std::clamp(radius, qreal(0), std::min(rect.width(), rect.height()) / 2);
}

// The pixel columns on row y whose centres lie inside the rounded rect, as [left, right).
std::pair<int, int> rowSpan(const QRectF& rect, qreal radius, int y) {
    const qreal centre = y + 0.5;
    if (centre < rect.top() || centre > rect.bottom()) {
        return {0, 0};
    }
    // How far the row is from the straight part of the sides, into a corner's quarter circle.
    const qreal intoCorner =
        std::max({rect.top() + radius - centre, centre - (rect.bottom() - radius), qreal(0)});
    const qreal inset =
        radius - std::sqrt(std::max(radius * radius - intoCorner * intoCorner, 0.0));
    const auto left = static_cast<int>(std::ceil(rect.left() + inset - 0.5));
    const auto right = static_cast<int>(std::floor(rect.right() - inset - 0.5)) + 1;
    return {left, std::max(left, right)};
}

// Pixels count as inside when their centres are, as antialiased painting covers them at least
// half. Rows with the same columns are joined, so a tall rect takes few bands.
QRegion roundedRectRegion(const QRectF& rect, qreal radius) {
    QRegion region;
    if (rect.isEmpty()) {
        return region;
    }
    const auto top = static_cast<int>(std::floor(rect.top()));
    const auto bottom = static_cast<int>(std::ceil(rect.bottom()));
    int bandTop = top;
    std::pair<int, int> band = rowSpan(rect, radius, top);
    for (int y = top + 1; y <= bottom; ++y) {
        const std::pair<int, int> span = y < bottom ? rowSpan(rect, radius, y) : std::pair{0, 0};
        if (span != band || y == bottom) {
            region += QRect(band.first, bandTop, band.second - band.first, y - bandTop);
            band = span;
            bandTop = y;
        }
    }
    return region;
}

QRectF shrunk(const QRectF& rect, qreal by) {
    return rect.adjusted(by, by, -by, -by);
}

} // namespace

QRegion roundedBorderRing(QSize size, qreal radius, qreal width) {
    const QRectF outer(QPointF(0, 0), QSizeF(size));
    const qreal outerRadius = fittingRadius(outer, radius);
    const QRectF inner = shrunk(outer, width);
    return roundedRectRegion(outer, outerRadius) -
           roundedRectRegion(inner, fittingRadius(inner, outerRadius - width));
}

SnapPreviewPaint snapPreviewPaint(QSize size, const QColor& highlight, bool translucent) {
    SnapPreviewPaint paint;
    paint.outer = QRectF(QPointF(0, 0), QSizeF(size));
    paint.outerRadius = fittingRadius(paint.outer, kPreviewCornerRadius);
    paint.inner = shrunk(paint.outer, kPreviewBorderWidth);
    if (paint.inner.isEmpty()) {
        paint.inner = QRectF();
    }
    // Concentric corners keep the border equally wide all the way round.
    paint.innerRadius = fittingRadius(paint.inner, paint.outerRadius - kPreviewBorderWidth);
    paint.border = highlight;
    paint.fill = highlight;
    if (translucent) {
        paint.border.setAlphaF(float(kPreviewBorderAlpha));
        paint.fill.setAlphaF(float(kPreviewFillAlpha));
    } else {
        paint.border.setAlpha(255);
        paint.fill = paint.border;
        paint.shape = roundedBorderRing(size, kPreviewCornerRadius, kPreviewBorderWidth);
    }
    return paint;
}

QRect screenSpaceToRootPixels(const Rect& screenRect, const Rect& primaryInRoot) {
    const Rect inWindowSpace = flipRect(screenRect, primaryInRoot.height);
    const Point origin = windowSpaceToRoot(inWindowSpace.origin(), primaryInRoot);
    const auto left = static_cast<int>(std::lround(origin.x));
    const auto top = static_cast<int>(std::lround(origin.y));
    const auto right = static_cast<int>(std::lround(origin.x + inWindowSpace.width));
    const auto bottom = static_cast<int>(std::lround(origin.y + inWindowSpace.height));
    return QRect(left, top, right - left, bottom - top);
}

QRect rootPixelsToQtGlobal(const QRect& root, const std::vector<QtScreenScale>& screens) {
    for (const QtScreenScale& screen : screens) {
        const qreal ratio = screen.devicePixelRatio;
        const QPoint origin = screen.geometry.topLeft();
        const QRect inRoot(origin, (QSizeF(screen.geometry.size()) * ratio).toSize());
        if (ratio <= 0 || !inRoot.contains(root.center())) {
            continue;
        }
        // Edges between two of Qt's pixels go inwards, so that the window never reaches past the
        // area it stands for (a dock's edge, the next monitor) by a device pixel.
        const auto scaled = [&](int value, int from, double (*round)(double)) {
            return from + static_cast<int>(round((value - from) / ratio));
        };
        const int left = scaled(root.x(), origin.x(), std::ceil);
        const int top = scaled(root.y(), origin.y(), std::ceil);
        const int right = scaled(root.x() + root.width(), origin.x(), std::floor);
        const int bottom = scaled(root.y() + root.height(), origin.y(), std::floor);
        return QRect(left, top, right - left, bottom - top);
    }
    return root;
}

} // namespace vantile
