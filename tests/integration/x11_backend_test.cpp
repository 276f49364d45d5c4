// The program's X11 backend under real window managers: reading and writing other programs'
// window frames, which window manager is trusted, which windows count as applications, and how X
// errors are judged, above all those about windows that vanished meanwhile.

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_properties.h"
#include "backends/x11/x11_reply.h"
#include "backends/x11/x11_window_backend.h"
#include "support/client_window.h"
#include "support/titled_windows.h"
#include "support/wait.h"

namespace vantile {
namespace {

using namespace std::chrono_literals;
using test::WmKind;

// The window manager's frame window (the client's ancestor just below the root): what the user
// sees when there are no client-side shadows.
Rect frameWindowInRoot(xcb_connection_t* c, xcb_window_t window) {
    for (test::XcbReply<xcb_query_tree_reply_t> tree;
         (tree.reset(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr)), tree) &&
         tree->parent != tree->root;) {
        window = tree->parent;
    }
    return test::rootRectOf(c, window).value();
}

class X11BackendTest : public ::testing::TestWithParam<WmKind> {};

// Verification passes wait on the test's own thread, as on the program's main thread.
struct SleepingClock : Clock {
    void sleepMicroseconds(std::uint32_t micros) override {
        std::this_thread::sleep_for(std::chrono::microseconds(micros));
    }
    void runAfter(double, std::function<void()>) override { ADD_FAILURE() << "no task expected"; }
} sleepingClock;

// Window space has its origin at the primary monitor's corner, so a monitor above it has negative
// y. Client-side shadows are no part of what the user sees. Writes name position and size as
// callers do: window managers keep windows on the screen, so a move with the old size can be cut
// short, and the size is written on both sides of the move.
TEST_P(X11BackendTest, ReadsTheVisibleFrameAndWritesLandExactlyInWholePixels) {
    auto desktop = test::Desktop::start(GetParam(), 1920, 2160,
                                        {{"MAIN", 0, 1080, 1920, 1080}, {"TOP", 0, 0, 1920, 1080}});
    auto connection = test::connectProgram(*desktop.server);
    X11WindowBackend backend(*connection, sleepingClock);
    auto client = test::ClientWindow::create(*desktop.server, {.x = 100, .y = 1200});
    client->map();
    const WindowRef ref{client->id()};
    const auto readFrame = [&] {
        const Rect frame = backend.frame(ref).value_or(Rect{});
        return Rect{frame.x, frame.y + 1080, frame.width, frame.height};
    };
    const Rect frameWindow = frameWindowInRoot(client->connection(), client->id());
    EXPECT_EQ(client->visibleFrameInRoot(), frameWindow);
    EXPECT_EQ(readFrame(), frameWindow);
    test::writeProperty32(client->connection(), client->id(),
                          test::Atoms(client->connection())("_GTK_FRAME_EXTENTS"),
                          XCB_ATOM_CARDINAL, {10, 12, 8, 14});
    test::roundTrip(client->connection());
    const Rect shadowless{frameWindow.x + 10, frameWindow.y + 8, frameWindow.width - 22,
                          frameWindow.height - 22};
    EXPECT_EQ(client->visibleFrameInRoot(), shadowless);
    EXPECT_EQ(readFrame(), shadowless);
    backend.raise(ref);
    backend.setSize(ref, {501.5, 333.2});
    backend.setPosition(ref, {13.4, -1052.4});
    backend.setSize(ref, {501.5, 333.2});
    EXPECT_TRUE(client->landsAt({13, 28, 502, 333}));
    EXPECT_EQ(readFrame(), (Rect{13, 28, 502, 333}));
    // The whole sequence, read back and verified, has ended when the window is said done.
    bool done = false;
    backend.setFrame(ref, {600, -1000, 700, 400}, [&] { done = true; });
    EXPECT_TRUE(done);
    EXPECT_EQ(readFrame(), (Rect{600, 80, 700, 400}));
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, X11BackendTest,
                         ::testing::Values(WmKind::Openbox, WmKind::IceWM),
                         [](const auto& info) { return std::string(test::nameOf(info.param)); });

// Without a window manager nothing is trusted, and the test itself names the active window, so
// that it can name windows a window manager would never activate. Errors about windows that
// vanished are expected and pass even in strict mode; any other error is counted, and in strict
// mode ends the process.
TEST(X11Backend, TrustFocusAndErrorsWithoutAWindowManager) {
    EXPECT_EQ(X11Connection::open(":4095"), nullptr) << "no server there";
    auto server = test::XServer::start(1024, 768);
    auto connection = test::connectProgram(*server);
    X11WindowBackend backend(*connection, sleepingClock);
    EXPECT_FALSE(backend.isTrusted());
    auto dock = test::ClientWindow::create(*server, {.pid = 5151, .dock = true});
    dock->map();
    auto normal = test::ClientWindow::create(*server, {.pid = 5252});
    normal->map();
    // The application the backend sees focused once the window is named the active one.
    const auto focusedWith = [&](xcb_window_t window) {
        test::writeProperty32(server->connection(), server->root(),
                              test::Atoms(server->connection())("_NET_ACTIVE_WINDOW"),
                              XCB_ATOM_WINDOW, {window});
        test::roundTrip(server->connection());
        return backend.focusedApplication();
    };
    EXPECT_EQ(focusedWith(normal->id()), AppRef{5252});
    EXPECT_FALSE(focusedWith(dock->id()));
    EXPECT_FALSE(focusedWith(XCB_WINDOW_NONE));
    const xcb_window_t gone = normal->id();
    normal.reset();
    EXPECT_FALSE(focusedWith(gone));
    EXPECT_FALSE(backend.frame(WindowRef{gone}).has_value());
    EXPECT_FALSE(backend.processId(WindowRef{gone}).has_value());
    backend.setPosition(WindowRef{gone}, {10, 10});
    backend.setSize(WindowRef{gone}, {100, 100});
    PendingProperty property =
        requestProperty(*connection, gone, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
    EXPECT_FALSE(takeValues(property, XCB_ATOM_STRING).has_value());
    connection->drainEvents();
    EXPECT_EQ(connection->unexpectedErrorCount(), 0u);

    // A zero atom is a BadAtom, whether the request has a reply or not.
    dock.reset();
    connection->setStrictErrors(false);
    xcb_delete_property(connection->raw(), connection->root(), XCB_ATOM_NONE);
    test::roundTrip(connection->raw());
    connection->drainEvents();
    EXPECT_EQ(connection->unexpectedErrorCount(), 1u);
    const auto badAtom = [](X11Connection& on) {
        return takeReply(
            on, &xcb_get_property_reply,
            xcb_get_property(on.raw(), 0, on.root(), XCB_ATOM_NONE, XCB_ATOM_ANY, 0, 1));
    };
    EXPECT_EQ(badAtom(*connection), nullptr);
    EXPECT_EQ(connection->unexpectedErrorCount(), 2u);
    EXPECT_DEATH(badAtom(*test::connectProgram(*server)),
                 "X error BadAtom \\(5\\) in request GetProperty");

    auto manager = test::WindowManager::start(*server, WmKind::Openbox);
    EXPECT_TRUE(backend.isTrusted());
    // One that has gone leaves its root property naming a window that is no more.
    manager.reset();
    EXPECT_FALSE(backend.isTrusted());
}

} // namespace
} // namespace vantile
