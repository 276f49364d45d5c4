#pragma once

// Where the program's own windows (the snap preview, the region editor and its toolbar) go, and
// whether they can be translucent. The toolkit draws them; the desktop decides these two things.

#include <string>

#include "base/geometry.h"

namespace vantile {

class OverlayHost {
  public:
    virtual ~OverlayHost() = default;
    // Whether a compositing manager runs now; without one, translucency shows as an opaque block.
    virtual bool compositorRunning() = 0;
    // The primary monitor in the desktop's own pixels (origin at the desktop's top-left, y down),
    // which anchors screen space. Read afresh on every call: monitors come and go.
    virtual Rect primaryInDesktopPixels() = 0;
    // Where the desktop, not the toolkit, places the program's windows (Wayland): puts the
    // window with this title at the rectangle (desktop pixels), above every other program's
    // window, and gives the keys back to the window that had them unless it takes keys itself.
    virtual void place(const std::string& /*title*/, const Rect& /*desktopPixels*/,
                       bool /*takesKeys*/) {}
    virtual void forget(const std::string& /*title*/) {}
    // Where the program cannot give its own windows the keys (Wayland): the window with this
    // title is brought to the front and given them.
    virtual void activate(const std::string& /*title*/) {}
};

} // namespace vantile
