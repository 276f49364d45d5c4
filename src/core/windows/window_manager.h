#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "core/regions/region_manager.h"
#include "core/windows/screen_detection.h"
#include "core/windows/window_action.h"
#include "core/windows/window_history.h"
#include "platform/window_control.h"

namespace vantile {

// Turns every command into a window move: finds the focused window and its screen, computes the
// target, remembers where the window stood, and writes the new frame.
class WindowManager {
  public:
    // The window control must outlive the window manager.
    WindowManager(WindowControl& windows, std::unique_ptr<ScreenDetection> screenDetection,
                  RegionManager& regionManager);

    void perform(WindowAction action);

    // Region commands on the focused window's screen layout; each does nothing when the screen
    // has no layout or the asked region does not exist.
    void snapToRegion(int index);
    void cycleRegion(bool forward);
    // leftHalf = left, rightHalf = right, topHalf = up, any other action = down.
    void moveToAdjacentRegion(WindowAction direction);
    std::optional<Region> regionUnderWindowCenter(const Rect& frame, const Screen& screen) const;

    // Remembers the frame a window had before a move (the first one per window wins).
    void recordHistory(const WindowRef& window, const Rect& frame);
    static std::int64_t windowKey(const WindowRef& window);

    const WindowHistory& windowHistory() const { return windowHistory_; }

  private:
    // What every command needs first; absent when any piece is missing.
    struct Target {
        WindowRef window;
        Rect frame;
        Screen screen;
        Rect visibleFrame; // the screen's, in the space of window frames
    };
    std::optional<Target> preamble();
    void restore(const Target& target);
    void moveTo(const Target& target, const Rect& frame);
    void moveToRegion(const Target& target, const Region& region);

    WindowControl& windows_;
    std::unique_ptr<ScreenDetection> screenDetection_;
    RegionManager& regionManager_;
    WindowHistory windowHistory_;
};

} // namespace vantile
