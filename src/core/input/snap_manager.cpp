#include "core/input/snap_manager.h"

namespace vantile {

SnapManager::SnapManager(WindowManager& windowManager, DragSource& drags, const Screens& screens,
                         SnapPreview& preview)
    : windowManager_(windowManager), drags_(drags), screens_(screens), preview_(preview) {}

SnapManager::~SnapManager() {
    stop();
}

// The handlers run while the manager lives: it stops watching before it goes.
void SnapManager::start() {
    watch_ = drags_.watchDrags({[this](const Point&) { dragStarted(); },
                                [this](const Point& pointer) { dragMoved(pointer); },
                                [this](const Point&) { dragFinished(); }});
}

void SnapManager::stop() {
    if (watch_) {
        drags_.stopWatching(*watch_);
        watch_.reset();
    }
    gestureScreens_.clear();
    preview_.hide();
}

// Screens do not change in the middle of a drag; asking the display server for them on every
// motion event would cost more than everything else the drag does.
void SnapManager::dragStarted() {
    gestureScreens_ = screens_.screens();
    gestureDesktop_ = screens_.currentDesktop();
}

void SnapManager::dragMoved(const Point& pointer) {
    const auto zone = zoneAt(pointer, gestureScreens_);
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

void SnapManager::dragFinished() {
    // A window manager that switches desktops at the screen's edge carries the dragged window
    // along: the release then ends its move to another desktop, not a drag to snap.
    const bool desktopSwitched = isDragging_ && screens_.currentDesktop() != gestureDesktop_;
    gestureScreens_.clear();
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
