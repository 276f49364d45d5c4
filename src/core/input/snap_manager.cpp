#include "core/input/snap_manager.h"

namespace vantile {

SnapManager::SnapManager(WindowManager& windowManager, RegionManager& regionManager,
                         EventMonitors& monitors, const Screens& screens, SnapPreview& preview)
    : windowManager_(windowManager), regionManager_(regionManager), monitors_(monitors),
      screens_(screens), preview_(preview), self_(std::make_shared<SnapManager*>(this)) {}

SnapManager::~SnapManager() {
    stop();
}

void SnapManager::start() {
    std::weak_ptr<SnapManager*> weak = self_;
    dragMonitor_ = monitors_.addGlobalMouseMonitor(MouseEventKind::leftMouseDragged, [weak] {
        if (const auto self = weak.lock()) {
            (*self)->handleDrag();
        }
    });
    upMonitor_ = monitors_.addGlobalMouseMonitor(MouseEventKind::leftMouseUp, [weak] {
        if (const auto self = weak.lock()) {
            (*self)->handleMouseUp();
        }
    });
}

void SnapManager::stop() {
    for (auto* token : {&dragMonitor_, &upMonitor_}) {
        if (*token) {
            monitors_.removeMonitor(**token);
            token->reset();
        }
    }
    gestureScreens_.reset();
    preview_.hide();
}

const std::vector<Screen>& SnapManager::gestureScreens() {
    if (!gestureScreens_) {
        gestureScreens_ = screens_.screens();
        gestureDesktop_ = screens_.currentDesktop();
    }
    return *gestureScreens_;
}

void SnapManager::handleDrag() {
    const auto zone = zoneAt(screens_.mouseLocation(), gestureScreens());
    if (zone) {
        if (!(currentZone_ && currentZone_->sameZone(*zone))) {
            currentZone_ = zone;
            preview_.show(zone->rect);
        }
        isDragging_ = true;
        return;
    }
    if (currentZone_) {
        currentZone_.reset();
        preview_.hide();
    }
}

void SnapManager::handleMouseUp() {
    // A window manager that switches desktops at the screen's edge carries the dragged window
    // along: the release then ends its move to another desktop, not a drag to snap.
    const bool desktopSwitched =
        gestureScreens_ && isDragging_ && screens_.currentDesktop() != gestureDesktop_;
    gestureScreens_.reset();
    const std::optional<WindowAction> action = isDragging_ && currentZone_ && !desktopSwitched
                                                   ? std::optional(currentZone_->action)
                                                   : std::nullopt;
    // The state is back to idle before the window moves, so that nothing the move lets through
    // is overwritten afterwards.
    isDragging_ = false;
    const bool previewShown = currentZone_.has_value();
    currentZone_.reset();
    if (previewShown) {
        preview_.hide();
    }
    if (action) {
        windowManager_.perform(*action);
    }
}

} // namespace vantile
