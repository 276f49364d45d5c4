#pragma once

// What the snap preview paints, and where, as plain values: the widget only carries them out, and
// tests read them without a window.

#include <QColor>
#include <QRect>
#include <QRectF>
#include <QRegion>
#include <QSize>

#include <vector>

#include "base/geometry.h"

namespace vantile {

inline constexpr qreal kPreviewCornerRadius = 8;
inline constexpr qreal kPreviewBorderWidth = 2;
inline constexpr qreal kPreviewFillAlpha = 0.2;
inline constexpr qreal kPreviewBorderAlpha = 0.5;

struct SnapPreviewPaint {
    // The border fills `outer` and the background then replaces the part inside `inner`, so that
    // the two never add up where they meet.
    QRectF outer;
    qreal outerRadius = 0;
    QRectF inner;
    qreal innerRadius = 0;
    QColor border;
    QColor fill;
    // When not empty, only these pixels of the window show, all in the border colour.
    QRegion shape;
};

// With a compositor the preview blends with what is under it. Without one, alpha means nothing
// to the X server and a translucent fill would show as an opaque block, so only the border ring
// is kept, drawn in the full accent colour.
SnapPreviewPaint snapPreviewPaint(QSize size, const QColor& highlight, bool translucent);

// The pixels of a rounded rect of the size whose distance from its edge is less than `width`.
QRegion roundedBorderRing(QSize size, qreal radius, qreal width);

// A screen-space rect (origin at the primary monitor's bottom-left, y up) in whole X root pixels.
// Edges are rounded rather than origin and size, so that previews of neighbouring zones meet.
QRect screenSpaceToRootPixels(const Rect& screenRect, const Rect& primaryInRoot);

// A screen as Qt lays it out: where it is in Qt's coordinates and how many device pixels make one
// of Qt's.
struct QtScreenScale {
    QRect geometry;
    qreal devicePixelRatio = 1;
};

// X root pixels in Qt's global coordinates. When Qt scales (a high-density screen), it keeps each
// screen's corner where X has it and divides distances from there; the screen holding the rect's
// centre decides; edges that fall inside one of Qt's pixels are moved inwards. Without scaling the
// two are the same.
QRect rootPixelsToQtGlobal(const QRect& root, const std::vector<QtScreenScale>& screens);

} // namespace vantile
