#pragma once

// Other programs' windows on an X display, reached through the window manager's conventions
// (EWMH): the active window, the client list, frame extents and move/resize requests. See
// x11_applications.h for what counts as an application.
//
// Writes and raise() end by draining the connection's event queue, so that errors about a window
// that vanished meanwhile are judged at once; queued events reach the connection's listeners
// from inside those calls.

#include <xcb/xcb.h>

#include <optional>
#include <vector>

#include "backends/x11/verified_frame_writer.h"
#include "backends/x11/x11_applications.h"
#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_monitors.h"
#include "backends/x11/x11_move_resize.h"
#include "backends/x11/x11_window_geometry.h"
#include "backends/x11/x11_window_identity.h"
#include "backends/x11/x11_window_state.h"
#include "backends/x11/x11_wm_barrier.h"
#include "platform/platform.h"
#include "platform/window_control.h"

namespace vantile {

// Window managers may adjust or refuse a request, so a frame is written in the verified sequence
// (raise, size, position, size, read back and correct), one attribute at a time; the sequence
// has finished when setFrame returns.
class X11WindowBackend : public WindowControl, public WindowAttributes {
  public:
    // The connection and the clock must outlive the backend.
    X11WindowBackend(X11Connection& connection, Clock& clock);

    bool isTrusted() override;
    // The focused window of the application in front, else the first of its windows.
    std::optional<WindowRef> activeWindow() override;
    // The visible outer frame, or none when the window has gone.
    std::optional<Rect> frame(const WindowRef& window) override;
    void setFrame(const WindowRef& window, const Rect& frame, std::function<void()> done) override;

    void setPosition(const WindowRef& window, const Point& position) override;
    void setSize(const WindowRef& window, const Size& size) override;
    void setFrame(const WindowRef& window, const Rect& frame) override;
    void raise(const WindowRef& window) override;

    // Asks now what a command asks first (whether the window manager is there, the active
    // window), so that it shares a round trip with other questions; the next command takes the
    // answers, and they are dropped unless one does at once.
    void askAhead();
    void dropAhead() { ahead_.reset(); }

    std::optional<AppRef> focusedApplication();
    std::optional<std::int64_t> processId(const WindowRef& window);

  private:
    // The window manager's check window as last found.
    xcb_window_t checkWindow_ = XCB_WINDOW_NONE;
    // Raised, to be activated once its frame has been asked for.
    xcb_window_t activateAfterWrite_ = XCB_WINDOW_NONE;
    void activate(xcb_window_t window);
    // What visibleFrame read besides the frame, for the write that follows.
    struct Look {
        xcb_window_t window = XCB_WINDOW_NONE;
        MonitorLayout layout;
        Decorations decorations;
        bool moveResize = false;
    };
    Look takeLook(xcb_window_t window);
    std::optional<Look> look_;
    std::optional<StateRequests> statesAhead_;
    struct Ahead {
        AnnouncementRequests announcement;
        PendingProperty active;
    };
    std::optional<Ahead> ahead_;
    std::optional<Rect> visibleFrame(xcb_window_t window);
    void writeFrame(xcb_window_t window, const Rect& visible);
    std::optional<Rect> frameToWrite(xcb_window_t window, const std::optional<Point>& position,
                                     const std::optional<Size>& size);

    X11Connection& connection_;
    WindowManagerBarrier barrier_;
    X11WindowIdentity identity_;
    VerifiedFrameWriter writer_;
    // The frame last asked for, and of which window.
    std::optional<std::pair<xcb_window_t, Rect>> intended_;
};

} // namespace vantile
