#pragma once

// The program's own windows on an X display: translucent while a compositing manager owns the
// screen's _NET_WM_CM_S<n> selection, placed from the primary RandR monitor.

#include <xcb/xcb.h>

#include "backends/x11/x11_connection.h"
#include "platform/overlay_host.h"

namespace vantile {

class X11OverlayHost : public OverlayHost {
  public:
    // The connection must outlive this object.
    explicit X11OverlayHost(X11Connection& connection);

    bool compositorRunning() override;
    Rect primaryInDesktopPixels() override;

  private:
    X11Connection& connection_;
    xcb_atom_t compositorSelection_;
};

} // namespace vantile
