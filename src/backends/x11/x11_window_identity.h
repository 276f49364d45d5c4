#pragma once

// Handles for other programs' windows that stay true to one window. X reuses window numbers: a
// program that connects after another has gone is given the same range and often makes its first
// window under the number the other's had. A handle pairs the number with a generation that
// moves on when this program hears the window destroyed, so a handle of a window that has gone
// never names its successor.

#include <xcb/xcb.h>

#include <cstdint>
#include <map>
#include <optional>

#include "backends/x11/x11_connection.h"
#include "platform/platform.h"

namespace vantile {

class X11WindowIdentity {
  public:
    // The connection must outlive this object.
    explicit X11WindowIdentity(X11Connection& connection);
    X11WindowIdentity(const X11WindowIdentity&) = delete;
    X11WindowIdentity& operator=(const X11WindowIdentity&) = delete;

    // The handle of the window that has this number now. From here on its destruction is heard.
    WindowRef refFor(xcb_window_t window);
    // The window a handle names, or none when that window has gone.
    std::optional<xcb_window_t> windowOf(const WindowRef& ref);

  private:
    void onEvent(const xcb_generic_event_t& event);

    X11Connection& connection_;
    // The generation of each window whose destruction is heard.
    std::map<xcb_window_t, std::uint32_t> live_;
    // The generation the next window under a number that was destroyed gets.
    std::map<xcb_window_t, std::uint32_t> nextGeneration_;
    // Last, so that no event reaches a half-destroyed object.
    X11Connection::Subscription subscription_;
};

} // namespace vantile
