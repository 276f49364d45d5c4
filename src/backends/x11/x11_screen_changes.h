#pragma once

// Tells when the monitors change on an X display: RandR screen, CRTC and output notifications,
// and ConfigureNotify of the root window, the only sign Xvfb gives when a monitor is set or
// deleted. Panels that reserve space are not a change of monitors: every command reads the usable
// area afresh, and the layouts applied to the screens stay as they are.

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>

#include "backends/x11/x11_connection.h"
#include "platform/platform.h"

namespace vantile {

class X11ScreenChanges : public ScreenChanges {
  public:
    // Starts listening at once; the connection must outlive this object. Events reach it when
    // the connection is drained, and one report follows each drained batch that held a change.
    explicit X11ScreenChanges(X11Connection& connection);
    X11ScreenChanges(const X11ScreenChanges&) = delete;
    X11ScreenChanges& operator=(const X11ScreenChanges&) = delete;

    void setHandler(std::function<void()> handler) override;

  private:
    void selectRootEvents();
    void onEvent(const xcb_generic_event_t& event);
    bool isRandrChange(const xcb_generic_event_t& event) const;
    void onDrained();
    void report();

    X11Connection& connection_;
    std::uint8_t randrFirstEvent_ = 0;
    bool hasRandr_ = false;
    bool changed_ = false;

    std::function<void()> handler_;
    bool reporting_ = false;
    bool reportAgain_ = false;
    // Last, so that no event reaches a half-destroyed object.
    X11Connection::Subscription subscription_;
};

} // namespace vantile
