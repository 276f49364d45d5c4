#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "core/input/snap_zone.h"
#include "core/regions/region_manager.h"
#include "core/windows/window_manager.h"
#include "platform/drag_source.h"
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
    // All must outlive the manager.
    SnapManager(WindowManager& windowManager, DragSource& drags, const Screens& screens,
                SnapPreview& preview);
    ~SnapManager();
    SnapManager(const SnapManager&) = delete;
    SnapManager& operator=(const SnapManager&) = delete;

    void start();
    void stop();

    bool isDragging() const { return isDragging_; }
    const std::optional<SnapZone>& currentZone() const { return currentZone_; }
    bool monitoring() const { return watch_.has_value(); }

  private:
    void dragStarted();
    void dragMoved(const Point& pointer);
    void dragFinished();

    WindowManager& windowManager_;
    DragSource& drags_;
    const Screens& screens_;
    SnapPreview& preview_;
    std::optional<MonitorToken> watch_;
    bool isDragging_ = false;
    std::optional<std::uint32_t> gestureDesktop_;
    std::optional<SnapZone> currentZone_;
    // Screens do not change in the middle of a drag; asking the display server for them on every
    // motion event would cost more than everything else the drag does.
    std::vector<Screen> gestureScreens_;
};

} // namespace vantile
