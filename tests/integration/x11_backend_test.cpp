// Reading and writing other programs' window frames under real window managers.

#include <gtest/gtest.h>

#include "support/harness_error.h"

#include <cmath>
#include <memory>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_window_backend.h"
#include "support/client_window.h"
#include "support/desktop.h"
#include "support/rect_printing.h"
#include "support/wait.h"
#include "support/x_properties.h"
#include "support/xcb_handles.h"

namespace vantile {
namespace {

using namespace std::chrono_literals;
using test::WmKind;

constexpr auto kLandingDeadline = 3000ms;

// The window manager's own frame window (the client's ancestor just below the root), in root
// coordinates: what the user sees when there are no client-side shadows.
Rect frameWindowInRoot(xcb_connection_t* c, xcb_window_t window) {
    for (;;) {
        test::XcbReply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
        if (!tree || tree->parent == tree->root) {
            break;
        }
        window = tree->parent;
    }
    test::XcbReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    if (!geometry) {
        throw test::HarnessError("the window to measure is gone");
    }
    const double border = geometry->border_width;
    return {double(geometry->x), double(geometry->y), geometry->width + 2 * border,
            geometry->height + 2 * border};
}

class X11BackendTest : public ::testing::TestWithParam<WmKind> {
  protected:
    void SetUp() override { start(1920, 1080, {}); }

    void start(int width, int height, const std::vector<test::WantedMonitor>& monitors) {
        backend_.reset();
        connection_.reset();
        desktop_ = test::Desktop::start(GetParam(), width, height, monitors);
        connection_ = X11Connection::open(desktop_.server->display().c_str());
        ASSERT_NE(connection_, nullptr);
        connection_->setStrictErrors(true);
        backend_ = std::make_unique<X11WindowBackend>(*connection_);
    }

    std::unique_ptr<test::ClientWindow> mappedClient(test::ClientWindowOptions options = {}) {
        auto client = test::ClientWindow::create(*desktop_.server, options);
        client->map();
        return client;
    }

    std::optional<Rect> readFrame(xcb_window_t window) {
        const auto position = backend_->position(WindowRef{window});
        const auto size = backend_->size(WindowRef{window});
        if (!position.succeeded || !size.succeeded || !position.value || !size.value) {
            return std::nullopt;
        }
        return Rect{position.value->x, position.value->y, size.value->width, size.value->height};
    }

    // As callers place windows: window managers keep windows on the screen, so a move with the
    // old size can be cut short, and the size is written on both sides of the move.
    void place(xcb_window_t window, const Rect& frame) {
        backend_->raise(WindowRef{window});
        backend_->setSize(WindowRef{window}, frame.size());
        backend_->setPosition(WindowRef{window}, frame.origin());
        backend_->setSize(WindowRef{window}, frame.size());
    }

    test::Desktop desktop_;
    std::unique_ptr<X11Connection> connection_;
    std::unique_ptr<X11WindowBackend> backend_;
};

TEST_P(X11BackendTest, ReadsTheVisibleOuterFrame) {
    auto client = mappedClient();
    const Rect measured = client->visibleFrameInRoot();
    EXPECT_EQ(readFrame(client->id()), measured);
    // Without client-side shadows, that is exactly the window manager's frame window.
    EXPECT_EQ(measured, frameWindowInRoot(client->connection(), client->id()));
    const auto extents = client->frameExtents();
    EXPECT_GT(extents.top, 0u) << "the window manager should decorate the window";
}

TEST_P(X11BackendTest, ReadsTheFrameWithoutClientSideShadows) {
    auto client = mappedClient();
    test::Atoms atoms(client->connection());
    test::writeProperty32(client->connection(), client->id(), atoms("_GTK_FRAME_EXTENTS"),
                          XCB_ATOM_CARDINAL, {10, 12, 8, 14});
    test::roundTrip(client->connection());
    const Rect frameWindow = frameWindowInRoot(client->connection(), client->id());
    const Rect expected{frameWindow.x + 10, frameWindow.y + 8, frameWindow.width - 22,
                        frameWindow.height - 22};
    EXPECT_EQ(client->visibleFrameInRoot(), expected);
    EXPECT_EQ(readFrame(client->id()), expected);
}

TEST_P(X11BackendTest, WritesLandExactly) {
    auto client = mappedClient();
    const Rect targets[] = {{200, 150, 640, 480}, {0, 0, 960, 1000}, {1100, 40, 800, 600}};
    for (const Rect& target : targets) {
        place(client->id(), target);
        EXPECT_TRUE(client->waitForVisibleFrame(target, kLandingDeadline))
            << "asked for " << test::describe(target) << ", window stands at "
            << test::describe(client->lastSeenFrame());
        EXPECT_EQ(readFrame(client->id()), target);
    }
}

TEST_P(X11BackendTest, WritesRoundToWholePixels) {
    auto client = mappedClient();
    place(client->id(), Rect{13.4, 27.6, 501.5, 333.2});
    const Rect expected{13, 28, 502, 333};
    EXPECT_TRUE(client->waitForVisibleFrame(expected, kLandingDeadline))
        << test::describe(client->lastSeenFrame());
}

TEST_P(X11BackendTest, PositionAndSizeWritesLeaveTheOtherAlone) {
    auto client = mappedClient();
    place(client->id(), Rect{100, 100, 500, 400});
    ASSERT_TRUE(client->waitForVisibleFrame({100, 100, 500, 400}, kLandingDeadline));
    backend_->setPosition(WindowRef{client->id()}, {300, 200});
    EXPECT_TRUE(client->waitForVisibleFrame({300, 200, 500, 400}, kLandingDeadline))
        << test::describe(client->lastSeenFrame());
    backend_->setSize(WindowRef{client->id()}, {700, 350});
    EXPECT_TRUE(client->waitForVisibleFrame({300, 200, 700, 350}, kLandingDeadline))
        << test::describe(client->lastSeenFrame());
}

TEST_P(X11BackendTest, RaiseEndsMaximizingSoThatWritesHold) {
    auto client = mappedClient();
    // The frame it had before maximizing is the one window managers restore, and so the one
    // most likely to be misplaced afterwards.
    const Rect before{300, 300, 640, 480};
    place(client->id(), before);
    ASSERT_TRUE(client->waitForVisibleFrame(before, kLandingDeadline));
    for (const Rect& target : {before, Rect{40, 60, 900, 700}}) {
        client->maximize();
        place(client->id(), target);
        EXPECT_FALSE(client->isMaximized());
        EXPECT_TRUE(client->waitForVisibleFrame(target, kLandingDeadline))
            << "asked for " << test::describe(target) << ", window stands at "
            << test::describe(client->lastSeenFrame());
    }
    EXPECT_TRUE(test::waitUntil([&] { return client->isActive(); }, kLandingDeadline));
}

TEST_P(X11BackendTest, VanishedWindowGivesNothingAndTakesNothing) {
    auto client = mappedClient();
    const WindowRef gone{client->id()};
    client->destroy();
    EXPECT_FALSE(backend_->position(gone).succeeded);
    EXPECT_FALSE(backend_->size(gone).succeeded);
    EXPECT_FALSE(backend_->processId(gone).has_value());
    backend_->raise(gone);
    backend_->setPosition(gone, {10, 10});
    backend_->setSize(gone, {100, 100});
    connection_->drainEvents();
    EXPECT_EQ(connection_->unexpectedErrorCount(), 0u);
    EXPECT_FALSE(connection_->hasFailed());
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, X11BackendTest,
                         ::testing::Values(WmKind::Openbox, WmKind::IceWM),
                         [](const auto& info) { return std::string(test::nameOf(info.param)); });

class X11BackendAbovePrimaryTest : public X11BackendTest {
  protected:
    void SetUp() override {
        // The primary at the bottom, a second monitor above it.
        start(1920, 2160, {{"MAIN", 0, 1080, 1920, 1080}, {"TOP", 0, 0, 1920, 1080}});
    }
};

TEST_P(X11BackendAbovePrimaryTest, FramesAboveThePrimaryHaveNegativeY) {
    auto client = mappedClient();
    const Rect target{400, -900, 700, 500};
    place(client->id(), target);
    const Rect inRoot{400, 180, 700, 500};
    EXPECT_TRUE(client->waitForVisibleFrame(inRoot, kLandingDeadline))
        << test::describe(client->lastSeenFrame());
    EXPECT_EQ(readFrame(client->id()), target);
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, X11BackendAbovePrimaryTest,
                         ::testing::Values(WmKind::Openbox),
                         [](const auto& info) { return std::string(test::nameOf(info.param)); });

} // namespace
} // namespace vantile
