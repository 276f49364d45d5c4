#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "core/input/snap_zone.h"
#include "core/regions/region_manager.h"
#include "core/windows/window_manager.h"
#include "platform/platform.h"

namespace vantile {

// The translucent rectangle that shows where a released drag will put the window.
class SnapPreview {
  public:
    virtual ~SnapPreview() = default;
    virtual void show(const Rect& screenRect) = 0;
    virtual void hide() = 0;
};

// Drag-to-snap: while the left button is held near a screen edge or corner the preview shows the
// target; releasing there snaps the focused window.
class SnapManager {
  public:
    SnapManager(WindowManager& windowManager, RegionManager& regionManager, EventMonitors& monitors,
                const Screens& screens, SnapPreview& preview);
    ~SnapManager();
    SnapManager(const SnapManager&) = delete;
    SnapManager& operator=(const SnapManager&) = delete;

    void start();
    void stop();

    void handleDrag();
    void handleMouseUp();

    bool isDragging() const { return isDragging_; }
    const std::optional<SnapZone>& currentZone() const { return currentZone_; }
    bool monitoring() const { return dragMonitor_ || upMonitor_; }

  private:
    const std::vector<Screen>& gestureScreens();

    WindowManager& windowManager_;
    [[maybe_unused]] RegionManager& regionManager_; // held for the life of the manager
    EventMonitors& monitors_;
    const Screens& screens_;
    SnapPreview& preview_;
    std::optional<MonitorToken> dragMonitor_;
    std::optional<MonitorToken> upMonitor_;
    bool isDragging_ = false;
    std::optional<std::uint32_t> gestureDesktop_;
    std::optional<SnapZone> currentZone_;
    // Screens do not change in the middle of a drag; asking the display server for them on every
    // motion event would cost more than everything else the drag does.
    std::optional<std::vector<Screen>> gestureScreens_;
    std::shared_ptr<SnapManager*> self_;
};

} // namespace vantile
