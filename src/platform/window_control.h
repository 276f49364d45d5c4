#pragma once

// Other programs' windows as the window logic moves them: the one the user works in, where it
// stands, and where it should go. Frames are the window's visible outer frame in the top-left,
// y-down space whose origin is the primary screen's top-left corner. Every call may find the
// window gone; that gives empty results and ignored writes, never exceptions.

#include <functional>
#include <optional>

#include "base/geometry.h"
#include "platform/platform.h"

namespace vantile {

class WindowControl {
  public:
    virtual ~WindowControl() = default;

    // Whether this process may move other programs' windows at all: on X11, whether a window
    // manager runs that it can ask.
    virtual bool isTrusted() = 0;
    // The window the user works in. The desktop and panels may hold the focus but are nobody's
    // window to move, so they give none.
    virtual std::optional<WindowRef> activeWindow() = 0;
    virtual std::optional<Rect> frame(const WindowRef& window) = 0;
    // Brings the window to the front, out of any maximized or full-screen state, and puts it at
    // the frame as far as the window and the desktop allow. A desktop may carry this out after
    // the call returns: `done` (which may be empty) runs on the main thread once it has, or has
    // given up.
    virtual void setFrame(const WindowRef& window, const Rect& frame,
                          std::function<void()> done) = 0;
};

} // namespace vantile
