#include "core/windows/accessibility_manager.h"

#include <cmath>

namespace vantile {

namespace {
bool within(double a, double b) {
    return std::abs(a - b) <= AccessibilityManager::tolerance;
}

bool positionRight(const Point& p, const Rect& target) {
    return within(p.x, target.x) && within(p.y, target.y);
}

bool sizeRight(const Size& s, const Rect& target) {
    return within(std::abs(s.width), target.width) && within(std::abs(s.height), target.height);
}
} // namespace

std::optional<WindowRef> AccessibilityManager::focusedWindow() {
    const auto app = backend_.focusedApplication();
    if (!app) {
        return std::nullopt;
    }
    if (auto window = backend_.focusedWindow(*app)) {
        return window;
    }
    if (auto window = backend_.mainWindow(*app)) {
        return window;
    }
    const auto windows = backend_.windowList(*app);
    if (!windows || windows->empty()) {
        return std::nullopt;
    }
    return windows->front();
}

std::optional<Point> AccessibilityManager::windowPosition(const WindowRef& window) {
    const auto read = backend_.position(window);
    if (!read.succeeded) {
        return std::nullopt;
    }
    return read.value.value_or(Point{});
}

std::optional<Size> AccessibilityManager::windowSize(const WindowRef& window) {
    const auto read = backend_.size(window);
    if (!read.succeeded) {
        return std::nullopt;
    }
    return read.value.value_or(Size{});
}

std::optional<bool>
AccessibilityManager::enhancedUserInterfaceState(const std::optional<AppRef>& app) {
    if (!app) {
        return std::nullopt;
    }
    return backend_.enhancedUserInterface(*app);
}

void AccessibilityManager::setFrame(const WindowRef& window, const Rect& frame) {
    std::optional<AppRef> app;
    if (const auto pid = backend_.processId(window); pid && *pid >= 1) {
        app = AppRef{*pid};
    }
    // Some programs animate every frame change in this mode; it is switched off for the move.
    const bool enhanced = enhancedUserInterfaceState(app).value_or(false);
    if (enhanced) {
        backend_.setEnhancedUserInterface(*app, false);
        clock_.sleepMicroseconds(enhancedModeSleepMicros);
    }
    backend_.raise(window);
    writeFrame(window, frame);
    for (int pass = 0; pass < verificationPasses; ++pass) {
        if (verifyAndCorrect(window, frame)) {
            break;
        }
    }
    finalPositionCheck(window, frame);
    if (enhanced) {
        clock_.runAfter(enhancedModeRestoreDelay, [backend = &backend_, restored = *app] {
            backend->setEnhancedUserInterface(restored, true);
        });
    }
}

void AccessibilityManager::writeFrame(const WindowRef& window, const Rect& frame) {
    // Size first so the position fits on screen, and again after moving because some window
    // managers clamp the size to the screen area at the old position.
    backend_.setSize(window, frame.size());
    backend_.setPosition(window, frame.origin());
    backend_.setSize(window, frame.size());
}

// One pass: waits, reads back, corrects what is off. True when nothing needs correcting or the
// window can no longer be read.
bool AccessibilityManager::verifyAndCorrect(const WindowRef& window, const Rect& frame) {
    clock_.sleepMicroseconds(verificationSleepMicros);
    const auto position = windowPosition(window);
    if (!position) {
        return true;
    }
    const auto size = windowSize(window);
    if (!size) {
        return true;
    }
    const bool goodPosition = positionRight(*position, frame);
    const bool goodSize = sizeRight(*size, frame);
    if (goodPosition && goodSize) {
        return true;
    }
    if (!goodSize) {
        backend_.setSize(window, frame.size());
    }
    if (!goodPosition) {
        backend_.setPosition(window, frame.origin());
    }
    if (!goodSize) {
        backend_.setSize(window, frame.size());
    }
    return false;
}

void AccessibilityManager::finalPositionCheck(const WindowRef& window, const Rect& frame) {
    const auto position = windowPosition(window);
    const auto size = windowSize(window);
    if (position && size && !positionRight(*position, frame)) {
        backend_.setPosition(window, frame.origin());
    }
}

} // namespace vantile
