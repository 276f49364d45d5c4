#pragma once

#include <cstdint>
#include <functional>
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

    // Every command in two steps, from one reading of the desktop: what it would do to the
    // focused window now (empty when it would do nothing), then doing it. A shortcut decides from
    // the first step whether its key is used at all.
    using Plan = std::function<void()>;
    Plan plan(WindowAction action);
    void perform(WindowAction action) { run(plan(action)); }

    // Region commands on the focused window's screen layout; each does nothing when the screen
    // has no layout or the asked region does not exist.
    Plan planSnapToRegion(int index);
    Plan planCycleRegion(bool forward);
    // leftHalf = left, rightHalf = right, topHalf = up, any other action = down.
    Plan planAdjacentRegion(WindowAction direction);
    void snapToRegion(int index) { run(planSnapToRegion(index)); }
    void cycleRegion(bool forward) { run(planCycleRegion(forward)); }
    void moveToAdjacentRegion(WindowAction direction) { run(planAdjacentRegion(direction)); }
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
    void restore(const WindowRef& window);
    Plan movePlan(const Target& target, const Rect& frame);
    Plan regionPlan(const Target& target, const Region& region);
    static void run(const Plan& plan) {
        if (plan) {
            plan();
        }
    }

    WindowControl& windows_;
    std::unique_ptr<ScreenDetection> screenDetection_;
    RegionManager& regionManager_;
    WindowHistory windowHistory_;
};

} // namespace vantile
