#pragma once

// A real client window made over a connection of its own, so that it behaves like a window of
// another program: it carries the usual ICCCM/EWMH properties, its events are handled on its own
// thread, and the test measures it independently of the program's X11 code.

#include <xcb/xcb.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "base/geometry.h"
#include "support/client_event_loop.h"
#include "support/rect_printing.h"
#include "support/size_hints.h"
#include "support/x_properties.h"
#include "support/xcb_handles.h"

namespace vantile::test {

class XServer;

enum class WindowType { Normal, Dock };

struct ClientWindowOptions {
    std::string title = "Vantile test client";
    // Where the window asks to be (root pixels; the frame's corner under north-west gravity) and
    // the size of its client area.
    int x = 100;
    int y = 100;
    int width = 400;
    int height = 300;
    // WM_NORMAL_HINTS limits.
    std::optional<PixelSize> minSize{};
    std::optional<PixelSize> maxSize{};
    std::optional<PixelSize> resizeIncrement{};
    std::optional<PixelSize> baseSize{};
    // Whether _NET_WM_PID is written, and its value (this process's pid when not given).
    bool setPid = true;
    std::optional<std::uint32_t> pid{};
    WindowType windowType = WindowType::Normal;
    // The X border of the window itself, as xterm has one.
    int borderWidth = 0;
    // _NET_WM_STRUT_PARTIAL (also written as _NET_WM_STRUT from its first four items), for docks.
    std::optional<std::array<std::uint32_t, 12>> strutPartial{};
    std::string instanceName = "vantile-test-client";
    std::string className = "VantileTestClient";
};

// Widths of a frame's sides, as in _NET_FRAME_EXTENTS and _GTK_FRAME_EXTENTS.
struct FrameExtents {
    std::uint32_t left = 0;
    std::uint32_t right = 0;
    std::uint32_t top = 0;
    std::uint32_t bottom = 0;
    friend bool operator==(const FrameExtents&, const FrameExtents&) = default;
};

void PrintTo(const FrameExtents& extents, std::ostream* out);

class ClientWindow {
  public:
    // Creates the window (not yet mapped) with its properties; throws HarnessError on failure.
    static std::unique_ptr<ClientWindow> create(XServer& server, ClientWindowOptions options = {});
    ~ClientWindow();
    ClientWindow(const ClientWindow&) = delete;
    ClientWindow& operator=(const ClientWindow&) = delete;

    xcb_window_t id() const { return id_; }
    const ClientWindowOptions& options() const { return options_; }
    xcb_connection_t* connection() const { return connection_.get(); }

    // Maps the window and waits until it is viewable and, when a window manager runs, managed by
    // it (WM_STATE normal, _NET_FRAME_EXTENTS and _NET_CLIENT_LIST where it supports them).
    void map();
    // Sends a map request and waits up to the deadline as map() does; false when the window is
    // not managed by then. Asking again helps when a starting window manager dropped a request.
    bool tryMap(std::chrono::milliseconds deadline);
    // Asks for activation as a pager does (_NET_ACTIVE_WINDOW, source 2) and waits until the root's
    // _NET_ACTIVE_WINDOW names this window.
    void activate();
    bool isActive();
    // Asks for both maximized states (_NET_WM_STATE add) and waits until the property has them.
    void maximize();
    bool isMaximized();
    // Whether the window manager asked the window to close (WM_DELETE_WINDOW).
    bool closeRequested() const { return eventLoop_->closeRequested(); }
    // How many _NET_WM_PING requests of the window manager the window has answered.
    int pingsAnswered() const { return eventLoop_->pingsAnswered(); }

    // The client area in root coordinates.
    Rect clientRectInRoot();
    FrameExtents frameExtents();
    FrameExtents clientSideShadows();
    // The client area grown by _NET_FRAME_EXTENTS and shrunk by _GTK_FRAME_EXTENTS, in root
    // coordinates; throws HarnessError when the window cannot be measured.
    Rect visibleFrameInRoot();
    // Waits until the visible frame equals the expected one, each of its numbers within the
    // tolerance. The last frame seen stays available for failure messages.
    bool waitForVisibleFrame(const Rect& expected, std::chrono::milliseconds deadline,
                             double tolerance = 0);
    const Rect& lastSeenFrame() const { return lastSeenFrame_; }

    // Destroys the window and waits until the window manager has let go of it.
    void destroy();

  private:
    ClientWindow(XcbConnection connection, xcb_window_t root, ClientWindowOptions options);
    void createWindow(const xcb_screen_t& screen);
    void writeProperties();
    void writeIdentity();
    void writeHints();
    std::optional<Rect> measureClientRect();
    std::optional<Rect> measureVisibleFrame();
    std::optional<Rect> measureParentFrame();
    FrameExtents readExtents(std::string_view property);
    bool isManaged(bool windowManagerRuns);
    bool listedAsClient();
    std::string describeState();

    XcbConnection connection_;
    Atoms atoms_;
    xcb_window_t root_;
    xcb_window_t id_ = XCB_WINDOW_NONE;
    ClientWindowOptions options_;
    std::unique_ptr<ClientEventLoop> eventLoop_;
    Rect lastSeenFrame_;
    bool destroyed_ = false;
};

} // namespace vantile::test
