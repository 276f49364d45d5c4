#include "core/input/monitored_drags.h"

#include <memory>

namespace vantile {

MonitoredDrags::~MonitoredDrags() {
    while (!watches_.empty()) {
        stopWatching(watches_.begin()->first);
    }
}

// Monitors are removed before this object goes, so they may hold it plainly; a handler looks its
// watch up again after every call out, which may have ended it.
std::optional<MonitorToken> MonitoredDrags::watchDrags(DragHandlers handlers) {
    auto token = std::make_shared<MonitorToken>(0);
    const auto motion = monitors_.addGlobalMouseMonitor(MouseEventKind::leftMouseDragged,
                                                        [this, token] { moved(*token); });
    if (!motion) {
        return std::nullopt;
    }
    const auto up = monitors_.addGlobalMouseMonitor(MouseEventKind::leftMouseUp,
                                                    [this, token] { released(*token); });
    if (!up) {
        monitors_.removeMonitor(*motion);
        return std::nullopt;
    }
    *token = *motion;
    watches_[*motion] = Watch{std::move(handlers), *up, false};
    return *motion;
}

void MonitoredDrags::stopWatching(MonitorToken token) {
    if (const auto watch = watches_.find(token); watch != watches_.end()) {
        monitors_.removeMonitor(token);
        monitors_.removeMonitor(watch->second.up);
        watches_.erase(watch);
    }
}

void MonitoredDrags::moved(MonitorToken token) {
    auto watch = watches_.find(token);
    if (watch == watches_.end()) {
        return;
    }
    const Point pointer = screens_.mouseLocation();
    if (!watch->second.dragging) {
        watch->second.dragging = true;
        if (const auto started = watch->second.handlers.started) {
            started(pointer);
        }
        watch = watches_.find(token);
        if (watch == watches_.end()) {
            return;
        }
    }
    if (const auto moved = watch->second.handlers.moved) {
        moved(pointer);
    }
}

void MonitoredDrags::released(MonitorToken token) {
    const auto watch = watches_.find(token);
    if (watch == watches_.end() || !watch->second.dragging) {
        return;
    }
    // Idle before the handler runs: a drag that arrives while it works is a new one.
    watch->second.dragging = false;
    if (const auto finished = watch->second.handlers.finished) {
        finished(screens_.mouseLocation());
    }
}

} // namespace vantile
