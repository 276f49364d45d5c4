#pragma once

// Writing a frame where the window manager or the program may adjust or refuse a request: a
// fixed sequence of raise and the frame, then up to two passes that read the result back
// and correct what is off, and a last look at the position.

#include <cstdint>
#include <optional>

#include "base/geometry.h"
#include "platform/platform.h"

namespace vantile {

// One window's frame read whole and written one attribute at a time, as the desktop takes it.
class WindowAttributes {
  public:
    virtual ~WindowAttributes() = default;
    virtual std::optional<Rect> frame(const WindowRef& window) = 0;
    virtual void setPosition(const WindowRef& window, const Point& position) = 0;
    virtual void setSize(const WindowRef& window, const Size& size) = 0;
    // Both at once where the desktop can take them together; otherwise size first so that the
    // position fits on screen, and again after moving because some window managers clamp the
    // size to the screen area at the old position.
    virtual void setFrame(const WindowRef& window, const Rect& frame) {
        setSize(window, frame.size());
        setPosition(window, frame.origin());
        setSize(window, frame.size());
    }
    // To the front, out of any maximized or full-screen state, which would otherwise keep or
    // undo the frame written next.
    virtual void raise(const WindowRef& window) = 0;
};

class VerifiedFrameWriter {
  public:
    // Both must outlive the writer; the clock's sleeps block the calling thread.
    VerifiedFrameWriter(WindowAttributes& window, Clock& clock) : window_(window), clock_(clock) {}

    void write(const WindowRef& window, const Rect& frame);

    static constexpr double tolerance = 5;
    static constexpr int verificationPasses = 2;
    static constexpr std::uint32_t verificationSleepMicros = 25000;

  private:
    bool verifyAndCorrect(const WindowRef& window, const Rect& frame);

    WindowAttributes& window_;
    Clock& clock_;
};

} // namespace vantile
