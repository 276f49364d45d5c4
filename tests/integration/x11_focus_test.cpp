// Which window manager is trusted, and which application and windows have the focus.

#include <gtest/gtest.h>

#include "support/product_connection.h"

#include <algorithm>
#include <memory>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_window_backend.h"
#include "support/client_window.h"
#include "support/desktop.h"
#include "support/x_properties.h"
#include "support/xcb_handles.h"

namespace vantile {
namespace {

using test::WmKind;

using test::connectTo;

test::ClientWindowOptions withPid(std::uint32_t pid) {
    test::ClientWindowOptions options;
    options.pid = pid;
    return options;
}

std::vector<std::uint64_t> idsOf(const std::vector<WindowRef>& windows) {
    std::vector<std::uint64_t> ids;
    for (const WindowRef& window : windows) {
        ids.push_back(window.id);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

TEST(X11Trust, OnlyALiveWindowManagerIsTrusted) {
    auto server = test::XServer::start(1024, 768);
    auto connection = connectTo(*server);
    ASSERT_NE(connection, nullptr);
    X11WindowBackend backend(*connection);
    EXPECT_FALSE(backend.isTrusted());

    auto manager = test::WindowManager::start(*server, WmKind::Openbox);
    EXPECT_TRUE(backend.isTrusted());

    // A window manager that has gone leaves its root property naming a window that is no more.
    manager.reset();
    EXPECT_FALSE(backend.isTrusted());
}

class X11FocusTest : public ::testing::TestWithParam<WmKind> {
  protected:
    void SetUp() override {
        desktop_ = test::Desktop::start(GetParam(), 1920, 1080);
        connection_ = connectTo(*desktop_.server);
        ASSERT_NE(connection_, nullptr);
        backend_ = std::make_unique<X11WindowBackend>(*connection_);
    }

    std::unique_ptr<test::ClientWindow> mappedClient(test::ClientWindowOptions options) {
        auto client = test::ClientWindow::create(*desktop_.server, options);
        client->map();
        return client;
    }

    test::Desktop desktop_;
    std::unique_ptr<X11Connection> connection_;
    std::unique_ptr<X11WindowBackend> backend_;
};

TEST_P(X11FocusTest, FocusedApplicationOwnsTheActiveWindow) {
    auto first = mappedClient(withPid(4242));
    auto second = mappedClient(withPid(4242));
    auto other = mappedClient(withPid(4343));
    first->activate();

    const auto app = backend_->focusedApplication();
    ASSERT_TRUE(app.has_value());
    EXPECT_EQ(app->pid, 4242);
    EXPECT_EQ(backend_->focusedWindow(*app), WindowRef{first->id()});
    EXPECT_EQ(backend_->mainWindow(*app), WindowRef{first->id()});
    const auto windows = backend_->windowList(*app);
    ASSERT_TRUE(windows.has_value());
    std::vector<std::uint64_t> expected = {first->id(), second->id()};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(idsOf(*windows), expected);
    EXPECT_EQ(backend_->processId(WindowRef{other->id()}), 4343);

    // Another application's focused window is not this one's.
    EXPECT_FALSE(backend_->focusedWindow(AppRef{4343}).has_value());
    other->activate();
    EXPECT_EQ(backend_->focusedApplication(), AppRef{4343});
    EXPECT_FALSE(backend_->focusedWindow(*app).has_value());
}

TEST_P(X11FocusTest, WindowWithoutPidIsAnApplicationOfItsOwn) {
    test::ClientWindowOptions options;
    options.setPid = false;
    auto client = mappedClient(options);
    client->activate();

    const auto app = backend_->focusedApplication();
    ASSERT_TRUE(app.has_value());
    EXPECT_EQ(app->pid, -static_cast<std::int64_t>(client->id()));
    EXPECT_EQ(backend_->focusedWindow(*app), WindowRef{client->id()});
    const auto windows = backend_->windowList(*app);
    ASSERT_TRUE(windows.has_value());
    EXPECT_EQ(idsOf(*windows), std::vector<std::uint64_t>{client->id()});
    EXPECT_FALSE(backend_->processId(WindowRef{client->id()}).has_value());

    client->destroy();
    EXPECT_FALSE(backend_->windowList(*app).has_value());
    EXPECT_FALSE(backend_->focusedWindow(*app).has_value());
}

TEST_P(X11FocusTest, EnhancedUserInterfaceDoesNotExist) {
    auto client = mappedClient(withPid(4242));
    backend_->setEnhancedUserInterface(AppRef{4242}, true);
    EXPECT_FALSE(backend_->enhancedUserInterface(AppRef{4242}).has_value());
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, X11FocusTest,
                         ::testing::Values(WmKind::Openbox, WmKind::IceWM),
                         [](const auto& info) { return std::string(test::nameOf(info.param)); });

// Without a window manager the test itself names the active window, so that it can name windows
// a window manager would never activate.
class X11ActiveWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        server_ = test::XServer::start(1024, 768);
        connection_ = connectTo(*server_);
        ASSERT_NE(connection_, nullptr);
        backend_ = std::make_unique<X11WindowBackend>(*connection_);
    }

    void setActive(xcb_window_t window) {
        test::Atoms atoms(server_->connection());
        test::writeProperty32(server_->connection(), server_->root(), atoms("_NET_ACTIVE_WINDOW"),
                              XCB_ATOM_WINDOW, {window});
        test::roundTrip(server_->connection());
    }

    std::unique_ptr<test::XServer> server_;
    std::unique_ptr<X11Connection> connection_;
    std::unique_ptr<X11WindowBackend> backend_;
};

TEST_F(X11ActiveWindowTest, DocksAndEmptyFocusAreNoApplication) {
    test::ClientWindowOptions dockOptions;
    dockOptions.windowType = test::WindowType::Dock;
    dockOptions.pid = 5151;
    auto dock = test::ClientWindow::create(*server_, dockOptions);
    dock->map();
    auto normal = test::ClientWindow::create(*server_, withPid(5252));
    normal->map();

    setActive(normal->id());
    EXPECT_EQ(backend_->focusedApplication(), AppRef{5252});
    setActive(dock->id());
    EXPECT_FALSE(backend_->focusedApplication().has_value());
    setActive(XCB_WINDOW_NONE);
    EXPECT_FALSE(backend_->focusedApplication().has_value());

    const xcb_window_t gone = normal->id();
    normal->destroy(); // waits until the server and the window manager have let it go
    normal.reset();
    setActive(gone);
    EXPECT_FALSE(backend_->focusedApplication().has_value());
    EXPECT_EQ(connection_->unexpectedErrorCount(), 0u);
}

} // namespace
} // namespace vantile
