// The snap preview: where screen-space rects land in root pixels and in Qt's coordinates, how its
// corners fit a size, and the widget rendered offscreen: its pixels with a compositor, the ring
// it keeps without one, and how it follows show, hide and a compositor starting or stopping.

#include <gtest/gtest.h>

#include <QWidget>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

#include "app/ui/snap_preview_model.h"
#include "app/ui/snap_preview_window.h"
#include "ui/test_application.h"

namespace vantile::test {
namespace {

TEST(SnapPreviewModel, ScreenSpaceGoesToWholeRootPixelsThroughThePrimaryMonitor) {
    // The primary monitor sits right of and below another one, away from the root's corner. y
    // points up in screen space. Edges are rounded, not origin and size, so that fractional
    // neighbours (the last two) meet without gap or overlap.
    const std::pair<Rect, QRect> cases[] = {{{0, 0, 1920, 1080}, {1000, 900, 1920, 1080}},
                                            {{0, 540, 1920, 540}, {1000, 900, 1920, 540}},
                                            {{960, 0, 960, 540}, {1960, 1440, 960, 540}},
                                            {{-1000, 1080, 500, 900}, {0, 0, 500, 900}},
                                            {{17, 333, 640, 480}, {1017, 1167, 640, 480}},
                                            {{1920, -200, 300, 100}, {2920, 2080, 300, 100}},
                                            {{0, 0.5, 960.5, 539.5}, {1000, 1440, 961, 540}},
                                            {{960.5, 0.5, 959.5, 539.5}, {1961, 1440, 959, 540}}};
    for (const auto& [screenRect, root] : cases) {
        EXPECT_EQ(screenSpaceToRootPixels(screenRect, {1000, 900, 1920, 1080}), root);
    }
}

TEST(SnapPreviewModel, ScaledScreensKeepTheirCornerAndDivideDistancesFromIt) {
    // Without scaling Qt uses root pixels.
    for (const QRect& root : {QRect(1960, 900, 960, 540), QRect(0, 0, 500, 900)}) {
        EXPECT_EQ(rootPixelsToQtGlobal(
                      root, {{QRect(1000, 900, 1920, 1080), 1}, {QRect(0, 0, 1000, 900), 1}}),
                  root);
    }
    // 1920x1080 device pixels shown as 960x540 by Qt, next to an unscaled screen. An odd edge,
    // as above a 25-pixel dock, stays inside: never a device pixel over it. Off every screen
    // nothing is known of a scale.
    const std::pair<QRect, QRect> cases[] = {{{1960, 900, 960, 540}, {1480, 900, 480, 270}},
                                             {{1000, 1440, 1920, 540}, {1000, 1170, 960, 270}},
                                             {{0, 0, 500, 900}, {0, 0, 500, 900}},
                                             {{1000, 900, 1920, 1055}, {1000, 900, 960, 527}},
                                             {{3000, 0, 100, 100}, {3000, 0, 100, 100}}};
    for (const auto& [root, qt] : cases) {
        EXPECT_EQ(rootPixelsToQtGlobal(
                      root, {{QRect(1000, 900, 960, 540), 2}, {QRect(0, 0, 1000, 900), 1}}),
                  qt);
    }
}

// How far a point lies outside the rounded rect's edge; negative inside.
double outside(const QPointF& p, const QRectF& r, double radius) {
    const double dx = std::max({r.left() + radius - p.x(), p.x() - (r.right() - radius), 0.0});
    const double dy = std::max({r.top() + radius - p.y(), p.y() - (r.bottom() - radius), 0.0});
    return std::hypot(dx, dy) - radius;
}

class SnapPreviewRender : public OffscreenTest {
  protected:
    bool compositing = true;
    // Any placement will do offscreen; the size is what the pixels depend on.
    SnapPreviewWindow preview{
        [](const Rect& r) { return QRect(int(r.x), int(r.y), int(r.width), int(r.height)); },
        [this] { return compositing; }};
};

TEST_F(SnapPreviewRender, WithCompositorBorderIsHalfAndInsideAFifthOfTheAccent) {
    preview.show({50, 40, 200, 120});
    const QImage image = rendered(*preview.widget());
    // The two pixels along each edge; what they enclose up to the corners' curve; nothing outside
    // it.
    const std::tuple<int, int, int> alphas[] = {
        {0, 60, 128},  {1, 60, 128},    {198, 60, 128},  {199, 60, 128}, {100, 0, 128},
        {100, 1, 128}, {100, 118, 128}, {100, 119, 128}, {2, 60, 51},    {197, 60, 51},
        {100, 2, 51},  {100, 117, 51},  {100, 60, 51},   {5, 5, 51},     {0, 0, 0},
        {1, 1, 0},     {199, 0, 0},     {0, 119, 0},     {199, 119, 0}};
    for (const auto& [x, y, alpha] : alphas) {
        const QColor accent(kAccent.red(), kAccent.green(), kAccent.blue(), alpha);
        expectPixel(image, {x, y}, alpha ? accent : QColor(Qt::transparent));
    }
}

TEST_F(SnapPreviewRender, WithoutCompositorOnlyAnOpaqueRingTwoPixelsWideIsKept) {
    // Each show asks anew whether a compositor runs; an empty rect hides the window. Without one,
    // the window keeps the pixels whose centres lie within 2 of its edge, round corners of radius 8
    // or as round as its size lets them be, concentric inside; they are solid accent, round the
    // corners too, as there is nothing behind them to blend an antialiased edge with.
    const std::tuple<bool, QSize> shows[] = {
        {false, {200, 120}}, {false, {80, 300}}, {true, {100, 100}}, {false, {100, 100}},
        {false, {10, 6}},    {false, {3, 40}},   {true, {0, 40}}};
    for (const auto& [compositor, size] : shows) {
        SCOPED_TRACE(testing::Message()
                     << compositor << " " << size.width() << "x" << size.height());
        compositing = compositor;
        preview.show({0, 0, double(size.width()), double(size.height())});
        QWidget* widget = preview.widget();
        ASSERT_EQ(widget->isVisible(), !size.isEmpty()) << "an empty rect shows nothing";
        if (size.isEmpty()) {
            continue;
        }
        EXPECT_EQ(widget->size(), size);
        EXPECT_EQ(widget->testAttribute(Qt::WA_TranslucentBackground), compositor);
        if (compositor) {
            EXPECT_TRUE(widget->mask().isEmpty());
            continue;
        }
        const QImage image = rendered(*widget);
        const QRectF outer{QPointF(), QSizeF(size)}, inner = outer.adjusted(2, 2, -2, -2);
        const double radius = std::min({8.0, outer.width() / 2, outer.height() / 2});
        const double innerRadius =
            std::max(0.0, std::min({radius - 2, inner.width() / 2, inner.height() / 2}));
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const QPointF centre(x + 0.5, y + 0.5);
                const double fromOuter = outside(centre, outer, radius);
                const double fromInner = inner.isEmpty() ? 1 : outside(centre, inner, innerRadius);
                const bool kept = widget->mask().contains(QPoint(x, y));
                // Within a tenth of a pixel of either curve a pixel may go either way.
                if (std::abs(fromOuter) > 0.1 && std::abs(fromInner) > 0.1) {
                    EXPECT_EQ(kept, fromOuter < 0 && fromInner > 0) << "pixel " << x << "," << y;
                }
                EXPECT_TRUE(!kept || image.pixel(x, y) == kAccent.rgba())
                    << "pixel " << x << "," << y;
            }
        }
    }
}

} // namespace
} // namespace vantile::test
