// The snap preview. Where screen-space rects land in root pixels and in Qt's coordinates. The
// widget rendered offscreen: its pixels with a compositor, the ring it keeps without one, and how
// it follows shows and a compositor starting or stopping. Then on a real X server with a window
// manager, at one and two device pixels a point: where its window lands, that the window manager
// leaves it alone, the window a compositor gets, the ring on screen, what it lets through, and
// rising above windows opened since without going away.

#include <gtest/gtest.h>

#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <span>
#include <tuple>
#include <vector>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_overlay_host.h"
#include "support/desktop.h"
#include "support/titled_windows.h"
#include "support/wait.h"
#include "support/x_properties.h"
#include "support/xcb_handles.h"
#include "ui/qt/snap_preview_model.h"
#include "ui/qt/snap_preview_window.h"
#include "ui/test_application.h"

namespace vantile::test {
namespace {

TEST(SnapPreviewModel, ScreenSpaceGoesToWholeRootPixelsThenToQtsThroughEachScreensScale) {
    // The primary monitor, 1920x1080 root pixels that Qt shows as 960x540, sits right of and below
    // an unscaled one, away from the root's corner; y points up in screen space. Edges are
    // rounded, not origin and size, so that fractional neighbours (the rows with halves) meet
    // without gap or overlap in root pixels; between two of Qt's pixels they go inwards, so that an
    // odd edge, as above a 25-pixel dock, is never passed by a device pixel. Off every screen
    // nothing is known of a scale. A screen rect, the root rect, then the Qt rect.
    const std::tuple<Rect, QRect, QRect> cases[] = {
        {{0, 0, 1920, 1080}, {1000, 900, 1920, 1080}, {1000, 900, 960, 540}},
        {{0, 540, 1920, 540}, {1000, 900, 1920, 540}, {1000, 900, 960, 270}},
        {{960, 0, 960, 540}, {1960, 1440, 960, 540}, {1480, 1170, 480, 270}},
        {{0, 25, 1920, 1055}, {1000, 900, 1920, 1055}, {1000, 900, 960, 527}},
        {{17, 333, 640, 480}, {1017, 1167, 640, 480}, {1009, 1034, 319, 239}},
        {{1920, -200, 300, 100}, {2920, 2080, 300, 100}, {2920, 2080, 300, 100}},
        {{0, 0.5, 960.5, 539.5}, {1000, 1440, 961, 540}, {1000, 1170, 480, 270}},
        {{960.5, 0.5, 959.5, 539.5}, {1961, 1440, 959, 540}, {1481, 1170, 479, 270}}};
    const std::vector<QtScreenScale> screens{{QRect(1000, 900, 960, 540), 2},
                                             {QRect(0, 0, 1000, 900), 1}};
    for (const auto& [screen, root, qt] : cases) {
        SCOPED_TRACE(testing::PrintToString(screen));
        EXPECT_EQ(screenSpaceToRootPixels(screen, {1000, 900, 1920, 1080}), root);
        EXPECT_EQ(rootPixelsToQtGlobal(root, screens), qt);
    }
}

// How far a point lies outside the rounded rect's edge; negative inside.
double outside(const QPointF& p, const QRectF& r, double radius) {
    const double dx = std::max({r.left() + radius - p.x(), p.x() - (r.right() - radius), 0.0});
    const double dy = std::max({r.top() + radius - p.y(), p.y() - (r.bottom() - radius), 0.0});
    return std::hypot(dx, dy) - radius;
}

TEST(SnapPreviewRender, WithCompositorTranslucentElseOnlyAnOpaqueRingTwoPixelsWideIsKept) {
    TestApplication app;
    // Any placement will do offscreen; the size is what the pixels depend on.
    struct Host : OverlayHost {
        bool compositing = true;
        bool compositorRunning() override { return compositing; }
        Rect primaryInDesktopPixels() override { return {0, 0, 400, 240}; }
    } host;
    SnapPreviewWindow preview{host};
    // Each show asks anew whether a compositor runs; an empty rect hides the window. With one, the
    // window is masked nowhere; its border, the two pixels along each edge, is half the accent,
    // what they enclose up to the corners' curve a fifth, and nothing is outside it. Without one,
    // it keeps the pixels whose centres lie within 2 of its edge, round corners of radius 8 or as
    // round as its size lets them be, concentric inside; they are solid accent, round the corners
    // too, as there is nothing behind them to blend an antialiased edge with.
    const std::tuple<bool, QSize> shows[] = {{false, {200, 120}}, {false, {80, 300}},
                                             {true, {200, 120}},  {false, {100, 100}},
                                             {false, {10, 6}},    {false, {3, 40}}};
    const std::tuple<int, int, int> alphas[] = {
        {0, 60, 128},  {1, 60, 128},    {198, 60, 128},  {199, 60, 128}, {100, 0, 128},
        {100, 1, 128}, {100, 118, 128}, {100, 119, 128}, {2, 60, 51},    {197, 60, 51},
        {100, 2, 51},  {100, 117, 51},  {100, 60, 51},   {5, 5, 51},     {0, 0, 0},
        {1, 1, 0},     {199, 0, 0},     {0, 119, 0},     {199, 119, 0}};
    for (const auto& [compositor, size] : shows) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height() << compositor);
        host.compositing = compositor;
        preview.show({0, 0, double(size.width()), double(size.height())});
        QWidget* widget = preview.widget();
        ASSERT_EQ(widget->isVisible() ? widget->size() : QSize(), size);
        EXPECT_EQ(widget->testAttribute(Qt::WA_TranslucentBackground), compositor);
        const QImage image = rendered(*widget);
        for (const auto& [x, y, alpha] :
             std::span(alphas).first(compositor ? std::size(alphas) : 0)) {
            const QColor accent(kAccent.red(), kAccent.green(), kAccent.blue(), alpha);
            expectPixel(image, {x, y}, alpha ? accent : QColor(Qt::transparent));
        }
        const QRectF outer{QPointF(), QSizeF(size)}, inner = outer.adjusted(2, 2, -2, -2);
        const double radius = std::min({8.0, outer.width() / 2, outer.height() / 2});
        const double innerRadius =
            std::max(0.0, std::min({radius - 2, inner.width() / 2, inner.height() / 2}));
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const QPointF centre(x + 0.5, y + 0.5);
                const double fromOuter = outside(centre, outer, radius),
                             fromInner = inner.isEmpty() ? 1 : outside(centre, inner, innerRadius);
                const bool kept = widget->mask().contains(QPoint(x, y));
                // Within a tenth of a pixel of either curve a pixel may go either way.
                if (std::abs(fromOuter) > 0.1 && std::abs(fromInner) > 0.1) {
                    EXPECT_EQ(kept, !compositor && fromOuter < 0 && fromInner > 0) << x << "," << y;
                }
                EXPECT_TRUE(!kept || image.pixel(x, y) == kAccent.rgba()) << x << "," << y;
            }
        }
    }
    host.compositing = true;
    preview.show({0, 0, 0, 40});
    EXPECT_FALSE(preview.widget()->isVisible()) << "an empty rect shows nothing";
}

constexpr std::uint32_t kUnderColor = 0x00ff00;

// At one and two device pixels a point.
class SnapPreviewOnX : public ::testing::TestWithParam<double> {
  protected:
    xcb_window_t root() const { return desktop.server->root(); }
    xcb_window_t window() const { return static_cast<xcb_window_t>(preview.widget()->winId()); }

    // Whether the viewable override-redirect children of the root come to be these rects, bottom
    // first: the preview is left alone by the window manager, not put into a frame of its own.
    // Qt sends and answers what it must meanwhile.
    bool eventuallyOverlays(const std::vector<Rect>& rects) const {
        return eventually([&] { return viewableOverlays(checks.get()) == rects; });
    }

    // Lets Qt send and answer what it must while the condition is awaited.
    static bool eventually(const std::function<bool()>& condition) {
        return waitUntil([&] { return QApplication::processEvents(), condition(); }, 5000ms);
    }

    int depth(xcb_window_t window) const {
        XcbReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(checks.get(), xcb_get_geometry(checks.get(), window), nullptr));
        return geometry ? geometry->depth : 0;
    }

    // The colour on screen at a root pixel (24-bit TrueColor, as test servers run).
    std::uint32_t colourAt(int x, int y) const {
        XcbReply<xcb_get_image_reply_t> image(xcb_get_image_reply(
            checks.get(),
            xcb_get_image(checks.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, root(), x, y, 1, 1, ~0u),
            nullptr));
        const auto* data = image ? xcb_get_image_data(image.get()) : nullptr;
        return data ? *reinterpret_cast<const std::uint32_t*>(data) & 0xffffff : 0;
    }

    // An unmanaged window of one colour over the primary monitor, standing for whatever lies
    // under the preview.
    xcb_window_t makeWindowUnder() {
        const xcb_window_t window = xcb_generate_id(checks.get());
        const std::uint32_t values[] = {kUnderColor, 1};
        xcb_create_window(checks.get(), XCB_COPY_FROM_PARENT, window, root(), 1000, 900, 1920, 1080,
                          0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_map_window(checks.get(), window);
        roundTrip(checks.get());
        return window;
    }

    // The primary monitor is not at the root's corner: screen space and root coordinates differ
    // in both x and y. Declared so that Qt's connection closes before its server goes.
    Desktop desktop = Desktop::start(WmKind::Openbox, 2920, 1980,
                                     {{"MAIN", 1000, 900, 1920, 1080}, {"LEFT", 0, 0, 1000, 900}});
    TestApplication app{desktop.server->display(), GetParam()};
    std::unique_ptr<X11Connection> connection = connectProgram(*desktop.server);
    X11OverlayHost host{*connection};
    XcbConnection checks = connectToDisplay(desktop.server->display());
    SnapPreviewWindow preview{host};
};

TEST_P(SnapPreviewOnX, LandsUnmanagedOnTheRootPixelsOfItsRectAsMonitorsChange) {
    preview.show({960, 540, 960, 540}); // the upper right quarter of the primary monitor
    EXPECT_TRUE(eventuallyOverlays({{1960, 900, 960, 540}}));
    EXPECT_EQ(preview.widget()->devicePixelRatio(), GetParam());
    EXPECT_EQ(depth(window()), desktop.server->screen()->root_depth);
    // A compositing manager announces itself by owning a selection (which window owns it does not
    // matter). Noticed at the next show, it gets a window with an alpha channel, the only kind it
    // blends; the opaque one goes.
    xcb_set_selection_owner(checks.get(), root(), Atoms(checks.get())("_NET_WM_CM_S0"),
                            XCB_CURRENT_TIME);
    roundTrip(checks.get());
    preview.show({-1000, 1080, 500, 900}); // the left half of the monitor left of and above it
    EXPECT_TRUE(eventuallyOverlays({{0, 0, 500, 900}}));
    EXPECT_EQ(depth(window()), 32);
    preview.hide();
    EXPECT_TRUE(eventuallyOverlays({}));
    desktop.server->setMonitors({{"MAIN", 0, 0, 1920, 1080}, {"RIGHT", 1920, 0, 1000, 900}});
    preview.show({0, 540, 960, 540});
    EXPECT_TRUE(eventuallyOverlays({{0, 0, 960, 540}}));
}

TEST_P(SnapPreviewOnX, OnlyItsRingCoversWhatIsUnderTakesNoInputAndShowingAgainRisesAbove) {
    const xcb_window_t under = makeWindowUnder();
    xcb_set_input_focus(checks.get(), XCB_INPUT_FOCUS_POINTER_ROOT, under, XCB_CURRENT_TIME);
    roundTrip(checks.get());
    const Rect whole{1000, 900, 1920, 1080}, left{1000, 900, 960, 1080};
    preview.show({0, 0, 960, 1080});
    ASSERT_TRUE(eventuallyOverlays({whole, left}));
    // Without a compositor: two points of ring at its edge, and what is under it inside. Which
    // pixels round the corners are kept is left to the offscreen tests.
    const std::uint32_t ring = kAccent.rgb() & 0xffffff;
    const int edge = 1000 + int(2 * GetParam());
    const auto row = [&] {
        return std::vector{colourAt(1000, 1440), colourAt(edge - 1, 1440), colourAt(edge, 1440),
                           colourAt(1480, 1440)};
    };
    const std::vector ringThenUnder{ring, ring, kUnderColor, kUnderColor};
    EXPECT_TRUE(eventually([&] { return row() == ringThenUnder; }));
    // Neither the focus nor the pointer goes to the preview, even on its ring.
    XcbReply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(checks.get(), xcb_get_input_focus(checks.get()), nullptr));
    EXPECT_EQ(focus ? focus->focus : 0, under);
    xcb_warp_pointer(checks.get(), XCB_WINDOW_NONE, root(), 0, 0, 0, 0, 1001, 1440);
    XcbReply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(checks.get(), xcb_query_pointer(checks.get(), root()), nullptr));
    EXPECT_EQ(pointer ? pointer->child : 0, under);

    const xcb_window_t shown = window();
    const std::uint32_t structure = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(checks.get(), shown, XCB_CW_EVENT_MASK, &structure);
    // Covered by windows opened since, before Qt hears of them; the same rect again, then another.
    makeWindowUnder();
    ASSERT_EQ(viewableOverlays(checks.get()), (std::vector<Rect>{whole, left, whole}));
    preview.show({0, 0, 960, 1080});
    EXPECT_TRUE(eventuallyOverlays({whole, whole, left})) << "the same rect again";
    makeWindowUnder();
    preview.show({0, 0, 480, 1080});
    // Once it shows, the server has carried out everything Qt was asked to do before, and has
    // queued its events for us ahead of the last reply.
    ASSERT_TRUE(eventuallyOverlays({whole, whole, whole, {1000, 900, 480, 1080}}));
    EXPECT_EQ(window(), shown);
    bool configured = false, unmapped = false;
    while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(checks.get())}) {
        const auto type = event->response_type & 0x7f;
        // Both kinds of event name their window at the same place.
        const auto* notify = reinterpret_cast<xcb_unmap_notify_event_t*>(event.get());
        configured |= notify->window == shown && type == XCB_CONFIGURE_NOTIFY;
        unmapped |= notify->window == shown && type == XCB_UNMAP_NOTIFY;
    }
    EXPECT_TRUE(configured) << "the window's events did not reach the test";
    EXPECT_FALSE(unmapped);
}

INSTANTIATE_TEST_SUITE_P(QtScales, SnapPreviewOnX, ::testing::Values(1.0, 2.0));

} // namespace
} // namespace vantile::test
