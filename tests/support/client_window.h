#pragma once

// A real client window made over a connection of its own, so that it behaves like a window of
// another program: it carries the usual ICCCM/EWMH properties (without _NET_WM_PING, as xterm, so
// that nothing has to answer the window manager), and the test measures it independently of the
// program's X11 code.

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/geometry.h"
#include "support/desktop.h"
#include "support/xcb_handles.h"

namespace vantile::test {

struct ClientWindowOptions {
    std::string title = "Vantile test client";
    // Where the frame's corner asks to be (north-west gravity), and the client area's size.
    int x = 100;
    int y = 100;
    int width = 400;
    int height = 300;
    std::optional<Size> minSize{};
    // Whether _NET_WM_PID is written, and its value (this process's pid when not given).
    bool setPid = true;
    std::optional<std::uint32_t> pid{};
    // A panel (_NET_WM_WINDOW_TYPE_DOCK), and the _NET_WM_STRUT_PARTIAL it reserves.
    bool dock = false;
    std::optional<std::array<std::uint32_t, 12>> strutPartial{};
    // The X border of the window itself, as xterm has one.
    int borderWidth = 0;

    static ClientWindowOptions panel(Rect at, std::array<std::uint32_t, 12> strut) {
        return {.x = int(at.x),
                .y = int(at.y),
                .width = int(at.width),
                .height = int(at.height),
                .dock = true,
                .strutPartial = strut};
    }
};

class ClientWindow {
  public:
    // Creates the window (not yet mapped) with its properties; throws HarnessError on failure.
    // Closing its connection destroys it.
    static std::unique_ptr<ClientWindow> create(XServer& server, ClientWindowOptions options = {});

    xcb_window_t id() const { return id_; }
    xcb_connection_t* connection() const { return connection_.get(); }

    // Maps the window and waits until it is viewable and, when a window manager runs, managed
    // (WM_STATE normal, _NET_FRAME_EXTENTS and _NET_CLIENT_LIST where it supports them).
    void map();
    // Asks for the map and waits up to the deadline; false when not managed by then.
    bool tryMap(std::chrono::milliseconds deadline);
    // Asks for activation as a pager does and waits until _NET_ACTIVE_WINDOW names the window.
    void activate();
    bool isActive();
    // Asks for both maximized states and waits until _NET_WM_STATE has them.
    void maximize();
    bool isMaximized();

    // The client area grown by _NET_FRAME_EXTENTS and shrunk by _GTK_FRAME_EXTENTS (or, where
    // the window manager publishes no extents, the frame it put the client in), in root pixels.
    Rect visibleFrameInRoot();
    // Waits (up to 3 s) until each number of the visible frame is within the tolerance of the
    // target's; the failure says where the window stands instead.
    ::testing::AssertionResult landsAt(const Rect& target, double tolerance = 0);

    // The X key codes of the key presses the window was sent since the last call.
    std::vector<xcb_keycode_t> keyPresses();

    // Destroys the window and waits until the window manager has let go of it.
    void destroy();

  private:
    ClientWindow(XcbConnection connection, xcb_window_t root, ClientWindowOptions options);
    std::optional<Rect> measureVisibleFrame();
    bool isManaged(bool windowManagerRuns);
    bool listedAsClient();

    XcbConnection connection_;
    Atoms atoms_;
    xcb_window_t root_;
    xcb_window_t id_ = XCB_WINDOW_NONE;
    ClientWindowOptions options_;
};

} // namespace vantile::test
