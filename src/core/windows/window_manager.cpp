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
        windows_.setFrame(target.window, *frame, {});
    }
}

void WindowManager::moveTo(const Target& target, const Rect& frame) {
    recordHistory(target.window, target.frame);
    windows_.setFrame(target.window, frame, {});
}

} // namespace vantile
