// The snap preview on a real X server with a window manager: where its window lands, that the
// window manager leaves it alone, what it lets through, and how a compositor changes it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_overlay_host.h"
#include "support/desktop.h"
#include "support/wait.h"
#include "support/x_properties.h"
#include "support/xcb_handles.h"
#include "ui/qt/snap_preview_window.h"
#include "ui/test_application.h"

namespace vantile {
namespace {

using namespace std::chrono_literals;
using test::WmKind;
using test::XcbReply;

constexpr auto kDeadline = 5000ms;
const QColor kAccent(40, 110, 220);
constexpr std::uint32_t kUnderColor = 0x00ff00;

// The primary monitor is not at the root's corner: screen space and root coordinates differ in
// both x and y.
const std::vector<test::WantedMonitor> kMonitors = {
    {"MAIN", 1000, 900, 1920, 1080},
    {"LEFT", 0, 0, 1000, 900},
};

struct WindowState {
    bool overrideRedirect = false;
    bool viewable = false;
    xcb_window_t parent = XCB_WINDOW_NONE;
    QRect geometry;
    int depth = 0;
};

std::optional<WindowState> stateOf(xcb_connection_t* c, xcb_window_t window) {
    const auto attributesCookie = xcb_get_window_attributes(c, window);
    const auto treeCookie = xcb_query_tree(c, window);
    const auto geometryCookie = xcb_get_geometry(c, window);
    XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, attributesCookie, nullptr));
    XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, treeCookie, nullptr));
    XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, geometryCookie, nullptr));
    if (!attributes || !tree || !geometry) {
        return std::nullopt;
    }
    return WindowState{attributes->override_redirect != 0,
                       attributes->map_state == XCB_MAP_STATE_VIEWABLE, tree->parent,
                       QRect(geometry->x, geometry->y, geometry->width, geometry->height),
                       geometry->depth};
}

// The colours on screen in a root rect, row by row (24-bit TrueColor, as the test servers run).
std::vector<std::uint32_t> screenPixels(xcb_connection_t* c, xcb_window_t root, const QRect& rect) {
    XcbReply<xcb_get_image_reply_t> image(xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<std::int16_t>(rect.x()),
                      static_cast<std::int16_t>(rect.y()), static_cast<std::uint16_t>(rect.width()),
                      static_cast<std::uint16_t>(rect.height()), ~0u),
        nullptr));
    const auto count = static_cast<std::size_t>(rect.width() * rect.height());
    if (!image || static_cast<std::size_t>(xcb_get_image_data_length(image.get())) < count * 4) {
        return {};
    }
    std::vector<std::uint32_t> pixels(count);
    std::memcpy(pixels.data(), xcb_get_image_data(image.get()), count * 4);
    for (auto& pixel : pixels) {
        pixel &= 0xffffff;
    }
    return pixels;
}

std::optional<std::uint32_t> screenPixel(xcb_connection_t* c, xcb_window_t root, int x, int y) {
    const auto pixels = screenPixels(c, root, QRect(x, y, 1, 1));
    return pixels.empty() ? std::nullopt : std::optional(pixels.front());
}

class SnapPreviewOnX : public ::testing::Test {
  protected:
    void SetUp() override { start(1); }

    void start(double scaleFactor) {
        preview_.reset();
        application_.reset();
        connection_.reset();
        checks_.reset();
        desktop_ = test::Desktop::start(WmKind::Openbox, 2920, 1980, kMonitors);
        application_ = test::TestApplication::onDisplay(desktop_.server->display(), scaleFactor);
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Active, QPalette::Highlight, kAccent);
        QApplication::setPalette(palette);
        connection_ = X11Connection::open(desktop_.server->display().c_str());
        ASSERT_NE(connection_, nullptr);
        connection_->setStrictErrors(true);
        checks_ = test::connectToDisplay(desktop_.server->display());
        host_ = std::make_unique<X11OverlayHost>(*connection_);
        preview_ = std::make_unique<SnapPreviewWindow>(*host_);
    }

    void TearDown() override {
        // Qt's connection must close before its server goes.
        preview_.reset();
        application_.reset();
    }

    xcb_connection_t* checks() const { return checks_.get(); }
    xcb_window_t root() const { return desktop_.server->root(); }

    xcb_window_t previewWindow() const {
        return static_cast<xcb_window_t>(preview_->widget()->winId());
    }

    // Lets Qt send and answer what it must while the condition is awaited.
    static bool eventually(const std::function<bool()>& condition) {
        return test::waitUntil(
            [&] {
                QApplication::processEvents();
                return condition();
            },
            kDeadline);
    }

    bool landsAt(const QRect& geometry) const {
        const auto state = stateOf(checks(), previewWindow());
        return state && state->viewable && state->geometry == geometry;
    }

    // Whether the preview is stacked above the other window, both children of the root.
    bool above(xcb_window_t other) const {
        XcbReply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(checks(), xcb_query_tree(checks(), root()), nullptr));
        if (!tree) {
            return false;
        }
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        const int count = xcb_query_tree_children_length(tree.get());
        int preview = -1;
        int otherAt = -1;
        for (int i = 0; i < count; ++i) {
            preview = children[i] == previewWindow() ? i : preview;
            otherAt = children[i] == other ? i : otherAt;
        }
        // Children come bottom first.
        return preview >= 0 && otherAt >= 0 && preview > otherAt;
    }

    bool unmapped() const {
        const auto state = stateOf(checks(), previewWindow());
        return state && !state->viewable;
    }

    // An unmanaged window of one colour, standing for whatever lies under the preview.
    xcb_window_t makeWindowUnder(const QRect& rect) {
        const xcb_window_t window = xcb_generate_id(checks());
        const std::uint32_t values[] = {kUnderColor, 1};
        xcb_create_window(
            checks(), XCB_COPY_FROM_PARENT, window, root(), static_cast<std::int16_t>(rect.x()),
            static_cast<std::int16_t>(rect.y()), static_cast<std::uint16_t>(rect.width()),
            static_cast<std::uint16_t>(rect.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
            XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_map_window(checks(), window);
        test::roundTrip(checks());
        return window;
    }

    // Takes the selection by which a compositing manager announces itself.
    void announceCompositor(bool running) {
        if (!compositorWindow_) {
            compositorWindow_ = xcb_generate_id(checks());
            xcb_create_window(checks(), XCB_COPY_FROM_PARENT, compositorWindow_, root(), 0, 0, 1, 1,
                              0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        }
        test::Atoms atoms(checks());
        const xcb_window_t owner = running ? compositorWindow_ : xcb_window_t{XCB_WINDOW_NONE};
        xcb_set_selection_owner(checks(), owner, atoms("_NET_WM_CM_S0"), XCB_CURRENT_TIME);
        test::roundTrip(checks());
    }

    test::Desktop desktop_;
    std::unique_ptr<test::TestApplication> application_;
    std::unique_ptr<X11Connection> connection_;
    std::unique_ptr<X11OverlayHost> host_;
    test::XcbConnection checks_;
    xcb_window_t compositorWindow_ = XCB_WINDOW_NONE;
    std::unique_ptr<SnapPreviewWindow> preview_;
};

TEST_F(SnapPreviewOnX, LandsAtTheRootGeometryOfItsScreenRectUnmanaged) {
    // The upper right quarter of the primary monitor.
    preview_->show({960, 540, 960, 540});
    ASSERT_NE(preview_->widget(), nullptr);
    EXPECT_TRUE(eventually([&] { return landsAt({1960, 900, 960, 540}); }));
    const auto state = stateOf(checks(), previewWindow());
    ASSERT_TRUE(state.has_value());
    EXPECT_TRUE(state->overrideRedirect);
    // Not reparented into a frame of the window manager.
    EXPECT_EQ(state->parent, root());

    // The left half of the other monitor, left of and above the primary.
    preview_->show({-1000, 1080, 500, 900});
    EXPECT_TRUE(eventually([&] { return landsAt({0, 0, 500, 900}); }));

    preview_->hide();
    EXPECT_TRUE(eventually([&] { return unmapped(); }));
}

TEST_F(SnapPreviewOnX, LandsOnTheSameRootPixelsWhenQtScales) {
    start(2);
    preview_->show({960, 540, 960, 540});
    ASSERT_NE(preview_->widget(), nullptr);
    EXPECT_TRUE(eventually([&] { return landsAt({1960, 900, 960, 540}); }));
    EXPECT_EQ(preview_->widget()->devicePixelRatio(), 2);
}

TEST_F(SnapPreviewOnX, FollowsTheMonitorsAsTheyChange) {
    preview_->show({0, 0, 960, 1080});
    ASSERT_TRUE(eventually([&] { return landsAt({1000, 900, 960, 1080}); }));

    desktop_.server->setMonitors({{"MAIN", 0, 0, 1920, 1080}, {"RIGHT", 1920, 0, 1000, 900}});
    preview_->show({0, 540, 960, 540});
    EXPECT_TRUE(eventually([&] { return landsAt({0, 0, 960, 540}); }));
}

TEST_F(SnapPreviewOnX, SameRectAgainDoesNotUnmapTheWindow) {
    preview_->show({0, 0, 960, 1080});
    ASSERT_TRUE(eventually([&] { return landsAt({1000, 900, 960, 1080}); }));
    const xcb_window_t window = previewWindow();
    const std::uint32_t structure = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(checks(), window, XCB_CW_EVENT_MASK, &structure);
    test::roundTrip(checks());

    preview_->show({0, 0, 960, 1080});
    // A different rect afterwards: once it shows, the server has carried out everything Qt was
    // asked to do before, and has queued its events for us ahead of the last reply.
    preview_->show({0, 0, 480, 1080});
    ASSERT_TRUE(eventually([&] { return landsAt({1000, 900, 480, 1080}); }));
    EXPECT_EQ(previewWindow(), window);

    bool configured = false;
    bool unmappedOnce = false;
    while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(checks())}) {
        const auto type = event->response_type & 0x7f;
        if (type == XCB_CONFIGURE_NOTIFY &&
            reinterpret_cast<xcb_configure_notify_event_t*>(event.get())->window == window) {
            configured = true;
        }
        if (type == XCB_UNMAP_NOTIFY &&
            reinterpret_cast<xcb_unmap_notify_event_t*>(event.get())->window == window) {
            unmappedOnce = true;
        }
    }
    EXPECT_TRUE(configured) << "the window's events did not reach the test";
    EXPECT_FALSE(unmappedOnce);
}

TEST_F(SnapPreviewOnX, ShowingAgainRisesAboveWindowsOpenedMeanwhile) {
    preview_->show({0, 0, 960, 1080});
    ASSERT_TRUE(eventually([&] { return landsAt({1000, 900, 960, 1080}); }));
    const xcb_window_t first = makeWindowUnder({1000, 900, 1920, 1080});
    ASSERT_FALSE(above(first));

    preview_->show({0, 0, 960, 1080});
    EXPECT_TRUE(eventually([&] { return above(first); }));

    const xcb_window_t second = makeWindowUnder({1000, 900, 1920, 1080});
    ASSERT_FALSE(above(second));
    preview_->show({960, 0, 960, 1080});
    EXPECT_TRUE(eventually([&] { return landsAt({1960, 900, 960, 1080}) && above(second); }));
}

TEST_F(SnapPreviewOnX, WithoutCompositorOnlyTheRingCoversWhatIsUnder) {
    const xcb_window_t under = makeWindowUnder({1000, 900, 1920, 1080});
    xcb_set_input_focus(checks(), XCB_INPUT_FOCUS_POINTER_ROOT, under, XCB_CURRENT_TIME);
    test::roundTrip(checks());

    preview_->show({0, 0, 960, 1080});
    const QRect root(1000, 900, 960, 1080);
    const std::uint32_t accent = kAccent.rgb() & 0xffffff;
    const auto pixel = [&](int x, int y) { return screenPixel(checks(), this->root(), x, y); };
    ASSERT_TRUE(eventually([&] {
        return pixel(root.x() + 1, root.center().y()) == accent &&
               pixel(root.center().x(), root.bottom()) == accent;
    }));
    const auto state = stateOf(checks(), previewWindow());
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->depth, desktop_.server->screen()->root_depth);

    EXPECT_EQ(pixel(root.x(), root.center().y()), accent);
    EXPECT_EQ(pixel(root.right(), root.center().y()), accent);
    // Round the corners every pixel is either the ring's or the one under it: no dark
    // antialiased edge, no block. Both kinds occur there.
    for (const QPoint corner :
         {root.topLeft(), root.topRight(), root.bottomLeft(), root.bottomRight()}) {
        const QRect square(corner.x() < root.center().x() ? corner.x() : corner.x() - 7,
                           corner.y() < root.center().y() ? corner.y() : corner.y() - 7, 8, 8);
        const auto pixels = screenPixels(checks(), this->root(), square);
        ASSERT_EQ(pixels.size(), 64u);
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            EXPECT_TRUE(pixels[i] == accent || pixels[i] == kUnderColor)
                << std::hex << pixels[i] << " at " << std::dec << square.x() + int(i % 8) << ","
                << square.y() + int(i / 8);
        }
        EXPECT_GT(std::count(pixels.begin(), pixels.end(), accent), 0);
        EXPECT_GT(std::count(pixels.begin(), pixels.end(), kUnderColor), 0);
    }
    EXPECT_EQ(pixel(root.x() + 2, root.center().y()), kUnderColor);
    EXPECT_EQ(pixel(root.center().x(), root.center().y()), kUnderColor);
    EXPECT_EQ(pixel(root.right() - 2, root.center().y()), kUnderColor);
    EXPECT_EQ(pixel(root.x(), root.y()), kUnderColor) << "outside the rounded corner";

    // Neither the focus nor the pointer goes to the preview, even on its ring.
    XcbReply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(checks(), xcb_get_input_focus(checks()), nullptr));
    ASSERT_TRUE(focus);
    EXPECT_EQ(focus->focus, under);
    xcb_warp_pointer(checks(), XCB_WINDOW_NONE, this->root(), 0, 0, 0, 0,
                     static_cast<std::int16_t>(root.x() + 1),
                     static_cast<std::int16_t>(root.center().y()));
    XcbReply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(checks(), xcb_query_pointer(checks(), this->root()), nullptr));
    ASSERT_TRUE(pointer);
    EXPECT_EQ(pointer->child, under);
}

TEST_F(SnapPreviewOnX, ACompositorIsNoticedWhenShowing) {
    announceCompositor(true);
    preview_->show({0, 0, 960, 1080});
    ASSERT_TRUE(eventually([&] { return landsAt({1000, 900, 960, 1080}); }));
    const xcb_window_t translucent = previewWindow();
    auto state = stateOf(checks(), translucent);
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->depth, 32) << "a compositor blends only windows with an alpha channel";
    EXPECT_TRUE(state->overrideRedirect);

    announceCompositor(false);
    preview_->show({0, 0, 480, 1080});
    ASSERT_TRUE(eventually([&] { return landsAt({1000, 900, 480, 1080}); }));
    state = stateOf(checks(), previewWindow());
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->depth, desktop_.server->screen()->root_depth);
    EXPECT_TRUE(state->overrideRedirect);
    // The translucent window does not linger on screen.
    EXPECT_TRUE(eventually([&] {
        const auto old = stateOf(checks(), translucent);
        return !old || !old->viewable;
    }));
}

} // namespace
} // namespace vantile
