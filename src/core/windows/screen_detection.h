#pragma once

#include <optional>
#include <vector>

#include "base/geometry.h"
#include "platform/platform.h"

namespace vantile {

// A window's screen together with that screen's visible frame in the space of window frames,
// both taken from one reading of the screen list.
struct ScreenPlacement {
    Screen screen;
    Rect axVisibleFrame;
};

// Which screen a window is on, and a screen's usable area in the space of window frames.
class ScreenDetection {
  public:
    explicit ScreenDetection(const Screens& screens) : screens_(screens) {}

    // The screen with the largest overlap with the frame (the earlier one on a tie); the primary
    // screen when it overlaps none; none when there are no screens at all.
    std::optional<Screen> screenForFrame(const Rect& windowFrame) const;

    // The screen's visible frame converted to the top-left, y-down space of window frames.
    Rect axVisibleFrame(const Screen& screen) const;

    // Both of the above from a single reading of the screen list, so that a command sees one
    // consistent desktop (and asks the display server once).
    std::optional<ScreenPlacement> placementForFrame(const Rect& windowFrame) const;

    // Height of the primary screen's frame, read afresh; none without screens.
    std::optional<double> primaryHeight() const;

  private:
    const Screens& screens_;
};

} // namespace vantile
