// The snap preview on a real X server with a window manager: where its window lands, at one and
// two device pixels a point, that the window manager leaves it alone, what it lets through, and
// how a compositor changes it.

#include <gtest/gtest.h>

#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "app/ui/snap_preview_window.h"
#include "support/desktop.h"
#include "support/titled_windows.h"
#include "support/wait.h"
#include "support/x_properties.h"
#include "support/xcb_handles.h"
#include "ui/test_application.h"
#include "window/x11/x11_connection.h"

namespace vantile::test {
namespace {

const QColor kAccent(40, 110, 220);
constexpr std::uint32_t kUnderColor = 0x00ff00;

class SnapPreviewOnX : public ::testing::Test {
  protected:
    void start(double scaleFactor) {
        // The primary monitor is not at the root's corner: screen space and root coordinates
        // differ in both x and y.
        desktop = Desktop::start(WmKind::Openbox, 2920, 1980,
                                 {{"MAIN", 1000, 900, 1920, 1080}, {"LEFT", 0, 0, 1000, 900}});
        app = std::make_unique<TestApplication>(desktop.server->display(), scaleFactor);
        setAccent(kAccent);
        connection = X11Connection::open(desktop.server->display().c_str());
        ASSERT_NE(connection, nullptr);
        connection->setStrictErrors(true);
        checks = connectToDisplay(desktop.server->display());
        preview = std::make_unique<SnapPreviewWindow>(x11ScreenSpaceToRoot(*connection),
                                                      x11CompositorRunning(*connection));
    }

    xcb_window_t root() const { return desktop.server->root(); }
    xcb_window_t window() const { return static_cast<xcb_window_t>(preview->widget()->winId()); }

    // Whether the viewable override-redirect children of the root come to be these rects, bottom
    // first: the preview is left alone by the window manager, not put into a frame of its own.
    // Qt sends and answers what it must meanwhile.
    bool eventuallyOverlays(const std::vector<Rect>& rects) const {
        return eventually([&] { return viewableOverlays(checks.get()) == rects; });
    }

    // Lets Qt send and answer what it must while the condition is awaited.
    static bool eventually(const std::function<bool()>& condition) {
        return waitUntil(
            [&] {
                QApplication::processEvents();
                return condition();
            },
            5000ms);
    }

    int depth(xcb_window_t window) const {
        XcbReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(checks.get(), xcb_get_geometry(checks.get(), window), nullptr));
        return geometry ? geometry->depth : 0;
    }

    // The colours on screen in a root rect, row by row (24-bit TrueColor, as test servers run).
    std::vector<std::uint32_t> screenPixels(const QRect& rect) const {
        XcbReply<xcb_get_image_reply_t> image(xcb_get_image_reply(
            checks.get(),
            xcb_get_image(checks.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, root(), std::int16_t(rect.x()),
                          std::int16_t(rect.y()), std::uint16_t(rect.width()),
                          std::uint16_t(rect.height()), ~0u),
            nullptr));
        std::vector<std::uint32_t> pixels(std::size_t(rect.width() * rect.height()));
        if (!image || std::size_t(xcb_get_image_data_length(image.get())) < pixels.size() * 4) {
            return {};
        }
        std::memcpy(pixels.data(), xcb_get_image_data(image.get()), pixels.size() * 4);
        for (auto& pixel : pixels) {
            pixel &= 0xffffff;
        }
        return pixels;
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

    // Declared so that Qt's connection closes before its server goes.
    Desktop desktop;
    std::unique_ptr<TestApplication> app;
    std::unique_ptr<X11Connection> connection;
    XcbConnection checks;
    std::unique_ptr<SnapPreviewWindow> preview;
};

class SnapPreviewLanding : public SnapPreviewOnX, public ::testing::WithParamInterface<double> {};

TEST_P(SnapPreviewLanding, LandsUnmanagedOnTheRootPixelsOfItsRectAsMonitorsChange) {
    start(GetParam());
    // The upper right quarter of the primary monitor, then the left half of the monitor left of
    // and above it.
    const std::pair<Rect, Rect> rects[] = {{{960, 540, 960, 540}, {1960, 900, 960, 540}},
                                           {{-1000, 1080, 500, 900}, {0, 0, 500, 900}}};
    for (const auto& [screenRect, rootRect] : rects) {
        preview->show(screenRect);
        EXPECT_TRUE(eventuallyOverlays({rootRect})) << rootRect.x;
    }
    EXPECT_EQ(preview->widget()->devicePixelRatio(), GetParam());
    preview->hide();
    EXPECT_TRUE(eventuallyOverlays({}));
    desktop.server->setMonitors({{"MAIN", 0, 0, 1920, 1080}, {"RIGHT", 1920, 0, 1000, 900}});
    preview->show({0, 540, 960, 540});
    EXPECT_TRUE(eventuallyOverlays({{0, 0, 960, 540}}));
}

INSTANTIATE_TEST_SUITE_P(QtScales, SnapPreviewLanding, ::testing::Values(1.0, 2.0));

TEST_F(SnapPreviewOnX, ShowingAgainRisesAboveNewWindowsWithoutUnmapping) {
    start(1);
    const Rect under{1000, 900, 1920, 1080}, left{1000, 900, 960, 1080};
    preview->show({0, 0, 960, 1080});
    ASSERT_TRUE(eventuallyOverlays({left}));
    const xcb_window_t shown = window();
    const std::uint32_t structure = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(checks.get(), shown, XCB_CW_EVENT_MASK, &structure);
    // Covered by windows opened since, before Qt hears of them.
    makeWindowUnder();
    ASSERT_EQ(viewableOverlays(checks.get()), (std::vector<Rect>{left, under}));
    preview->show({0, 0, 960, 1080});
    EXPECT_TRUE(eventuallyOverlays({under, left})) << "the same rect again";
    makeWindowUnder();
    ASSERT_EQ(viewableOverlays(checks.get()), (std::vector<Rect>{under, left, under}));
    preview->show({0, 0, 480, 1080});
    // Once it shows, the server has carried out everything Qt was asked to do before, and has
    // queued its events for us ahead of the last reply.
    ASSERT_TRUE(eventuallyOverlays({under, under, {1000, 900, 480, 1080}}));
    EXPECT_EQ(window(), shown);
    bool configured = false;
    bool unmapped = false;
    while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(checks.get())}) {
        const auto type = event->response_type & 0x7f;
        const auto* configure = reinterpret_cast<xcb_configure_notify_event_t*>(event.get());
        const auto* unmap = reinterpret_cast<xcb_unmap_notify_event_t*>(event.get());
        configured |= type == XCB_CONFIGURE_NOTIFY && configure->window == shown;
        unmapped |= type == XCB_UNMAP_NOTIFY && unmap->window == shown;
    }
    EXPECT_TRUE(configured) << "the window's events did not reach the test";
    EXPECT_FALSE(unmapped);
}

TEST_F(SnapPreviewOnX, WithoutCompositorOnlyTheRingCoversWhatIsUnderAndTakesNoInput) {
    start(1);
    const xcb_window_t under = makeWindowUnder();
    xcb_set_input_focus(checks.get(), XCB_INPUT_FOCUS_POINTER_ROOT, under, XCB_CURRENT_TIME);
    roundTrip(checks.get());
    preview->show({0, 0, 960, 1080});
    const QRect at(1000, 900, 960, 1080);
    const std::uint32_t ring = kAccent.rgb() & 0xffffff;
    // Two pixels of ring at each edge, and what is under it inside.
    const std::vector<std::uint32_t> across{ring, ring, kUnderColor};
    ASSERT_TRUE(eventually([&] { return screenPixels({at.x(), 1440, 3, 1}) == across; }));
    EXPECT_EQ(screenPixels({at.right() - 2, 1440, 3, 1}),
              (std::vector<std::uint32_t>{kUnderColor, ring, ring}));
    EXPECT_EQ(screenPixels({1480, at.bottom() - 2, 1, 3}),
              (std::vector<std::uint32_t>{kUnderColor, ring, ring}));
    EXPECT_EQ(screenPixels({1480, 1440, 1, 1}), std::vector<std::uint32_t>{kUnderColor});
    EXPECT_EQ(depth(window()), desktop.server->screen()->root_depth);
    // Round the corners every pixel is either the ring's or the one under it: no dark
    // antialiased edge, no block; both kinds occur there, and the corner itself is not covered.
    for (const QPoint corner : {at.topLeft(), at.topRight(), at.bottomLeft(), at.bottomRight()}) {
        const auto pixels = screenPixels(QRect(std::min(corner.x(), at.right() - 7),
                                               std::min(corner.y(), at.bottom() - 7), 8, 8));
        const auto rings = std::count(pixels.begin(), pixels.end(), ring);
        EXPECT_EQ(rings + std::count(pixels.begin(), pixels.end(), kUnderColor), 64);
        EXPECT_GT(rings, 0);
        EXPECT_EQ(screenPixels(QRect(corner, QSize(1, 1))),
                  std::vector<std::uint32_t>{kUnderColor});
    }
    // Neither the focus nor the pointer goes to the preview, even on its ring.
    XcbReply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(checks.get(), xcb_get_input_focus(checks.get()), nullptr));
    EXPECT_EQ(focus ? focus->focus : 0, under);
    xcb_warp_pointer(checks.get(), XCB_WINDOW_NONE, root(), 0, 0, 0, 0, 1001, 1440);
    XcbReply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(checks.get(), xcb_query_pointer(checks.get(), root()), nullptr));
    EXPECT_EQ(pointer ? pointer->child : 0, under);
}

TEST_F(SnapPreviewOnX, ACompositorIsNoticedWhenShowing) {
    start(1);
    // Takes, then gives up, the selection by which a compositing manager announces itself.
    const xcb_window_t compositor = xcb_generate_id(checks.get());
    xcb_create_window(checks.get(), XCB_COPY_FROM_PARENT, compositor, root(), 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t selection = Atoms(checks.get())("_NET_WM_CM_S0");
    xcb_set_selection_owner(checks.get(), compositor, selection, XCB_CURRENT_TIME);
    roundTrip(checks.get());
    preview->show({0, 0, 960, 1080});
    ASSERT_TRUE(eventuallyOverlays({{1000, 900, 960, 1080}}));
    EXPECT_EQ(depth(window()), 32) << "a compositor blends only windows with an alpha channel";

    xcb_set_selection_owner(checks.get(), XCB_WINDOW_NONE, selection, XCB_CURRENT_TIME);
    roundTrip(checks.get());
    preview->show({0, 0, 480, 1080});
    // The translucent window does not linger on screen.
    ASSERT_TRUE(eventuallyOverlays({{1000, 900, 480, 1080}}));
    EXPECT_EQ(depth(window()), desktop.server->screen()->root_depth);
}

} // namespace
} // namespace vantile::test
