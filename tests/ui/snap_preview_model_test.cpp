// What the snap preview paints, computed without a window: colours, the rounded ring kept when no
// compositor runs, and screen-space rects in root pixels.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "base/desktop_space.h"
#include "ui/qt/snap_preview_model.h"

namespace vantile {
namespace {

const QColor kAccent(40, 110, 220);

TEST(SnapPreviewModel, RingKeepsTwoPixelsAlongEveryEdge) {
    const QRegion ring = roundedBorderRing(QSize(100, 60), 8, 2);
    for (const QPoint kept : {QPoint(0, 30), QPoint(1, 30), QPoint(98, 30), QPoint(99, 30),
                              QPoint(50, 0), QPoint(50, 1), QPoint(50, 58), QPoint(50, 59)}) {
        EXPECT_TRUE(ring.contains(kept)) << kept.x() << "," << kept.y();
    }
    for (const QPoint dropped : {QPoint(2, 30), QPoint(97, 30), QPoint(50, 2), QPoint(50, 57),
                                 QPoint(50, 30), QPoint(20, 20)}) {
        EXPECT_FALSE(ring.contains(dropped)) << dropped.x() << "," << dropped.y();
    }
}

TEST(SnapPreviewModel, RingFollowsTheRoundedCorners) {
    const QRegion ring = roundedBorderRing(QSize(100, 60), 8, 2);
    // Outside the radius at every corner.
    for (const QPoint outside : {QPoint(0, 0), QPoint(1, 1), QPoint(99, 0), QPoint(98, 1),
                                 QPoint(0, 59), QPoint(1, 58), QPoint(99, 59), QPoint(98, 58)}) {
        EXPECT_FALSE(ring.contains(outside)) << outside.x() << "," << outside.y();
    }
    // On the curve: 6.7 px from the corner's centre, between the inner and the outer radius.
    for (const QPoint onCurve : {QPoint(1, 6), QPoint(98, 6), QPoint(1, 53), QPoint(98, 53)}) {
        EXPECT_TRUE(ring.contains(onCurve)) << onCurve.x() << "," << onCurve.y();
    }
    // Inside the inner curve.
    EXPECT_FALSE(ring.contains(QPoint(4, 4)));
    EXPECT_FALSE(ring.contains(QPoint(95, 55)));
}

TEST(SnapPreviewModel, RingIsTheSameAtEveryCorner) {
    const QSize size(64, 64);
    const QRegion ring = roundedBorderRing(size, 8, 2);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const bool kept = ring.contains(QPoint(x, y));
            SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
            EXPECT_EQ(ring.contains(QPoint(size.width() - 1 - x, y)), kept);
            EXPECT_EQ(ring.contains(QPoint(x, size.height() - 1 - y)), kept);
            EXPECT_EQ(ring.contains(QPoint(y, x)), kept);
        }
    }
}

TEST(SnapPreviewModel, CornerPixelsAreKeptByTheirDistanceFromTheCornersCentre) {
    const QRegion ring = roundedBorderRing(QSize(100, 60), 8, 2);
    // Pixels clearly between the inner radius (6) and the outer one (8) are kept, the others not;
    // those within a tenth of a pixel of either circle may go either way.
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const double distance = std::hypot(8 - (x + 0.5), 8 - (y + 0.5));
            SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y << " at " << distance);
            if (distance > 6.1 && distance < 7.9) {
                EXPECT_TRUE(ring.contains(QPoint(x, y)));
            } else if (distance < 5.9 || distance > 8.1) {
                EXPECT_FALSE(ring.contains(QPoint(x, y)));
            }
        }
    }
}

TEST(SnapPreviewModel, WithCompositorFillAndBorderAreTranslucentAccent) {
    const SnapPreviewPaint paint = snapPreviewPaint(QSize(300, 200), kAccent, true);
    EXPECT_EQ(paint.outer, QRectF(0, 0, 300, 200));
    EXPECT_EQ(paint.outerRadius, 8);
    EXPECT_EQ(paint.inner, QRectF(2, 2, 296, 196));
    EXPECT_EQ(paint.innerRadius, 6);
    EXPECT_EQ(paint.border.rgb(), kAccent.rgb());
    EXPECT_EQ(paint.fill.rgb(), kAccent.rgb());
    EXPECT_NEAR(paint.border.alphaF(), 0.5, 0.01);
    EXPECT_NEAR(paint.fill.alphaF(), 0.2, 0.01);
    EXPECT_TRUE(paint.shape.isEmpty());
}

TEST(SnapPreviewModel, WithoutCompositorOnlyAnOpaqueRingIsShown) {
    const QSize size(300, 200);
    const SnapPreviewPaint paint = snapPreviewPaint(size, kAccent, false);
    EXPECT_EQ(paint.border, kAccent);
    EXPECT_EQ(paint.border.alpha(), 255);
    EXPECT_EQ(paint.shape, roundedBorderRing(size, 8, 2));
    EXPECT_FALSE(paint.shape.contains(QPoint(150, 100)));
    EXPECT_TRUE(paint.shape.contains(QPoint(0, 100)));
}

TEST(SnapPreviewModel, CornersOfATinyPreviewFitItsSize) {
    const SnapPreviewPaint paint = snapPreviewPaint(QSize(10, 6), kAccent, true);
    EXPECT_EQ(paint.outerRadius, 3);
    EXPECT_EQ(paint.inner, QRectF(2, 2, 6, 2));
    EXPECT_GE(paint.innerRadius, 0);
    EXPECT_LE(paint.innerRadius, 1);

    const SnapPreviewPaint thin = snapPreviewPaint(QSize(3, 40), kAccent, false);
    EXPECT_TRUE(thin.inner.isEmpty());
    EXPECT_TRUE(thin.shape.contains(QPoint(1, 20)));
}

// The primary monitor sits right of and below another one, away from the root's corner.
const Rect kPrimary{1000, 900, 1920, 1080};

TEST(SnapPreviewModel, ScreenSpaceGoesToRootThroughThePrimaryMonitor) {
    EXPECT_EQ(screenSpaceToRootPixels({0, 0, 1920, 1080}, kPrimary), QRect(1000, 900, 1920, 1080));
    // y points up in screen space: its upper half is the root's upper half of the primary.
    EXPECT_EQ(screenSpaceToRootPixels({0, 540, 1920, 540}, kPrimary), QRect(1000, 900, 1920, 540));
    EXPECT_EQ(screenSpaceToRootPixels({960, 0, 960, 540}, kPrimary), QRect(1960, 1440, 960, 540));
    // A monitor at the root's corner, left of and above the primary.
    EXPECT_EQ(screenSpaceToRootPixels({-1000, 1080, 1000, 900}, kPrimary), QRect(0, 0, 1000, 900));
}

TEST(SnapPreviewModel, RootPixelsGoBackToTheSameScreenRect) {
    const std::vector<Rect> rects = {
        {0, 0, 1920, 1080}, {-1000, 1080, 500, 900}, {17, 333, 640, 480}, {1920, -200, 300, 100}};
    for (const Rect& rect : rects) {
        const QRect root = screenSpaceToRootPixels(rect, kPrimary);
        const Rect back = rootToScreenSpace(
            Rect{double(root.x()), double(root.y()), double(root.width()), double(root.height())},
            kPrimary);
        EXPECT_EQ(back, rect);
    }
}

TEST(SnapPreviewModel, FractionalNeighboursMeetWithoutGapOrOverlap) {
    const QRect left = screenSpaceToRootPixels({0, 0.5, 960.5, 539.5}, kPrimary);
    const QRect right = screenSpaceToRootPixels({960.5, 0.5, 959.5, 539.5}, kPrimary);
    EXPECT_EQ(left.right() + 1, right.left());
    EXPECT_EQ(left.x(), 1000);
    EXPECT_EQ(right.x() + right.width(), 2920);
    EXPECT_EQ(left.top(), right.top());
    EXPECT_EQ(left.bottom(), right.bottom());
}

TEST(SnapPreviewModel, WithoutScalingQtUsesRootPixels) {
    const std::vector<QtScreenScale> screens = {{QRect(1000, 900, 1920, 1080), 1},
                                                {QRect(0, 0, 1000, 900), 1}};
    for (const QRect& root : {QRect(1960, 900, 960, 540), QRect(0, 0, 500, 900)}) {
        EXPECT_EQ(rootPixelsToQtGlobal(root, screens), root);
    }
}

TEST(SnapPreviewModel, ScaledScreensKeepTheirCornerAndDivideDistancesFromIt) {
    // 1920x1080 device pixels shown as 960x540 by Qt, next to an unscaled screen.
    const std::vector<QtScreenScale> screens = {{QRect(1000, 900, 960, 540), 2},
                                                {QRect(0, 0, 1000, 900), 1}};
    EXPECT_EQ(rootPixelsToQtGlobal({1960, 900, 960, 540}, screens), QRect(1480, 900, 480, 270));
    EXPECT_EQ(rootPixelsToQtGlobal({1000, 1440, 1920, 540}, screens), QRect(1000, 1170, 960, 270));
    EXPECT_EQ(rootPixelsToQtGlobal({0, 0, 500, 900}, screens), QRect(0, 0, 500, 900));
    // An odd edge, as above a 25-pixel dock, stays inside: never a device pixel over the dock.
    EXPECT_EQ(rootPixelsToQtGlobal({1000, 900, 1920, 1055}, screens), QRect(1000, 900, 960, 527));
    // Off every screen nothing is known of a scale.
    EXPECT_EQ(rootPixelsToQtGlobal({3000, 0, 100, 100}, screens), QRect(3000, 0, 100, 100));
}

} // namespace
} // namespace vantile
