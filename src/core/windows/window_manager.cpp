#include "core/windows/window_manager.h"

namespace vantile {

WindowManager::WindowManager(std::unique_ptr<AccessibilityManager> accessibility,
                             std::unique_ptr<ScreenDetection> screenDetection,
                             RegionManager& regionManager)
    : accessibility_(std::move(accessibility)), screenDetection_(std::move(screenDetection)),
      regionManager_(regionManager) {}

std::int64_t WindowManager::windowKey(const WindowRef& window) {
    return static_cast<std::int64_t>(window.id);
}

void WindowManager::recordHistory(const WindowRef& window, const Rect& frame) {
    windowHistory_.record(windowKey(window), frame);
}

std::optional<WindowManager::Target> WindowManager::preamble() {
    if (!accessibility_->isTrusted()) {
        return std::nullopt;
    }
    const auto window = accessibility_->focusedWindow();
    if (!window) {
        return std::nullopt;
    }
    const auto position = accessibility_->windowPosition(*window);
    if (!position) {
        return std::nullopt;
    }
    const auto size = accessibility_->windowSize(*window);
    if (!size) {
        return std::nullopt;
    }
    const Rect frame{position->x, position->y, size->width, size->height};
    const auto placement = screenDetection_->placementForFrame(frame);
    if (!placement) {
        return std::nullopt;
    }
    return Target{*window, frame, placement->screen, placement->axVisibleFrame};
}

void WindowManager::perform(WindowAction action) {
    const auto target = preamble();
    if (!target) {
        return;
    }
    if (action == WindowAction::restore) {
        restore(*target);
        return;
    }
    const Rect& visible = target->visibleFrame;
    if (action == WindowAction::center) {
        const Rect& f = target->frame;
        moveTo(*target, Rect{visible.midX() - f.width / 2, visible.midY() - f.height / 2, f.width,
                             f.height});
        return;
    }
    if (const auto frame = targetFrame(action, visible)) {
        moveTo(*target, *frame);
    }
}

void WindowManager::restore(const Target& target) {
    if (const auto frame = windowHistory_.take(windowKey(target.window))) {
        accessibility_->setFrame(target.window, *frame);
    }
}

void WindowManager::moveTo(const Target& target, const Rect& frame) {
    recordHistory(target.window, target.frame);
    accessibility_->setFrame(target.window, frame);
}

} // namespace vantile
