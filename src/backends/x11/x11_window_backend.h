#pragma once

// Other programs' windows on an X display, reached through the window manager's conventions
// (EWMH): the active window, the client list, frame extents and move/resize requests. See
// x11_applications.h for what counts as an application.
//
// Writes and raise() end by draining the connection's event queue, so that errors about a window
// that vanished meanwhile are judged at once; queued events reach the connection's event handler
// from inside those calls.

#include <xcb/xcb.h>

#include <optional>
#include <vector>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_move_resize.h"
#include "backends/x11/x11_window_identity.h"
#include "backends/x11/x11_wm_barrier.h"
#include "platform/platform.h"

namespace vantile {

class X11WindowBackend : public WindowBackend {
  public:
    // The connection must outlive the backend.
    explicit X11WindowBackend(X11Connection& connection);

    bool isTrusted() override;

    std::optional<AppRef> focusedApplication() override;
    std::optional<WindowRef> focusedWindow(const AppRef& app) override;
    std::optional<WindowRef> mainWindow(const AppRef& app) override;
    std::optional<std::vector<WindowRef>> windowList(const AppRef& app) override;

    AttributeRead<Point> position(const WindowRef& window) override;
    AttributeRead<Size> size(const WindowRef& window) override;
    void setPosition(const WindowRef& window, const Point& position) override;
    void setSize(const WindowRef& window, const Size& size) override;
    void raise(const WindowRef& window) override;

    std::optional<std::int64_t> processId(const WindowRef& window) override;
    std::optional<bool> enhancedUserInterface(const AppRef& app) override;
    void setEnhancedUserInterface(const AppRef& app, bool enabled) override;

  private:
    // The visible outer frame in window space, or none when the window has gone.
    std::optional<Rect> visibleFrame(xcb_window_t window);
    std::optional<Rect> visibleFrame(const WindowRef& window);
    void writeFrame(xcb_window_t window, const Rect& visible);
    std::optional<Rect> frameToWrite(xcb_window_t window, const std::optional<Point>& position,
                                     const std::optional<Size>& size);

    X11Connection& connection_;
    WindowManagerBarrier barrier_;
    X11WindowIdentity identity_;
    // The frame last asked for, and of which window.
    std::optional<std::pair<xcb_window_t, Rect>> intended_;
};

} // namespace vantile
