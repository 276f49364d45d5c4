#pragma once

// Applications and their windows as the window manager's conventions (EWMH) describe them: who
// manages the windows, which window is active, which program owns which window.
//
// An application is the set of client windows sharing a _NET_WM_PID. A window without that
// property is an application of its own; its AppRef carries the negated window id as pid, which
// no real process id can be.

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_properties.h"
#include "platform/platform.h"

namespace vantile {

// The program that owns a window, by its process id.
struct AppRef {
    std::int64_t pid = 0;
    friend bool operator==(const AppRef&, const AppRef&) = default;
};

// A window manager runs and announces itself: the root's _NET_SUPPORTING_WM_CHECK names a live
// window that names itself the same way, and _NET_SUPPORTED lists _NET_ACTIVE_WINDOW.
// `known`, when given, keeps the check window found from one call to the next.
bool windowManagerAnnounced(X11Connection& connection, xcb_window_t* known = nullptr);
// The same in two steps, so that the questions can share a round trip with others.
struct AnnouncementRequests {
    PendingProperty check;
    PendingProperty supported;
    xcb_window_t guess = XCB_WINDOW_NONE;
    PendingProperty guessCheck;
};
AnnouncementRequests askAnnouncement(X11Connection& connection, xcb_window_t known);
bool takeAnnouncement(X11Connection& connection, AnnouncementRequests asked, xcb_window_t* known);
// The name the window manager gives its check window; none when it announces no name.
std::optional<std::string> windowManagerName(X11Connection& connection);

// The root's _NET_ACTIVE_WINDOW, or none.
std::optional<xcb_window_t> activeWindow(X11Connection& connection);
PendingProperty askActiveWindow(X11Connection& connection);
std::optional<xcb_window_t> takeActiveWindow(PendingProperty& asked);

// The application owning the window (one round trip), or the active window; none when no window
// is active, it has gone, or it is the desktop or a panel.
std::optional<AppRef> applicationOf(X11Connection& connection, xcb_window_t window);
std::optional<AppRef> focusedApplication(X11Connection& connection);

// _NET_WM_PID, if the window has one.
std::optional<std::int64_t> processIdOf(X11Connection& connection, xcb_window_t window);

} // namespace vantile
