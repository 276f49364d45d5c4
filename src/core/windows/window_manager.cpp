#include "core/windows/window_manager.h"

namespace vantile {

WindowManager::WindowManager(WindowControl& windows,
                             std::unique_ptr<ScreenDetection> screenDetection,
                             RegionManager& regionManager)
    : windows_(windows), screenDetection_(std::move(screenDetection)),
      regionManager_(regionManager) {}

std::int64_t WindowManager::windowKey(const WindowRef& window) {
    return static_cast<std::int64_t>(window.id);
}

void WindowManager::recordHistory(const WindowRef& window, const Rect& frame) {
    windowHistory_.record(windowKey(window), frame);
}

std::optional<WindowManager::Target> WindowManager::preamble() {
    if (!windows_.isTrusted()) {
        return std::nullopt;
    }
    const auto window = windows_.activeWindow();
    if (!window) {
        return std::nullopt;
    }
    const auto frame = windows_.frame(*window);
    if (!frame) {
        return std::nullopt;
    }
    const auto placement = screenDetection_->placementForFrame(*frame);
    if (!placement) {
        return std::nullopt;
    }
    return Target{*window, *frame, placement->screen, placement->axVisibleFrame};
}

WindowManager::Plan WindowManager::plan(WindowAction action) {
    const auto target = preamble();
    if (!target) {
        return {};
    }
    if (action == WindowAction::restore) {
        if (!windowHistory_.find(windowKey(target->window))) {
            return {};
        }
        return [this, window = target->window] { restore(window); };
    }
    const Rect& visible = target->visibleFrame;
    if (action == WindowAction::center) {
        const Rect& f = target->frame;
        return movePlan(*target, Rect{visible.midX() - f.width / 2, visible.midY() - f.height / 2,
                                      f.width, f.height});
    }
    if (const auto frame = targetFrame(action, visible)) {
        return movePlan(*target, *frame);
    }
    return {};
}

void WindowManager::restore(const WindowRef& window) {
    if (const auto frame = windowHistory_.take(windowKey(window))) {
        windows_.setFrame(window, *frame, {});
    }
}

WindowManager::Plan WindowManager::movePlan(const Target& target, const Rect& frame) {
    return [this, target, frame] {
        recordHistory(target.window, target.frame);
        windows_.setFrame(target.window, frame, {});
    };
}

} // namespace vantile
