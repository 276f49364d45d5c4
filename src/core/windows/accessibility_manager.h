#pragma once

#include <optional>

#include "base/geometry.h"
#include "platform/platform.h"

namespace vantile {

// The only code that reads and writes other programs' windows. Writing a frame is a fixed
// sequence: raise, size, position, size, then up to two passes that check the result and correct
// it, because many programs and window managers adjust or refuse the first request.
class AccessibilityManager {
  public:
    AccessibilityManager(WindowBackend& backend, Clock& clock) : backend_(backend), clock_(clock) {}

    bool isTrusted() { return backend_.isTrusted(); }

    // The focused window of the frontmost program: its focused window, else its main window,
    // else the first of its windows.
    std::optional<WindowRef> focusedWindow();

    std::optional<Point> windowPosition(const WindowRef& window);
    std::optional<Size> windowSize(const WindowRef& window);
    std::optional<bool> enhancedUserInterfaceState(const std::optional<AppRef>& app);

    void setFrame(const WindowRef& window, const Rect& frame);

    static constexpr double tolerance = 5;
    static constexpr int verificationPasses = 2;
    static constexpr std::uint32_t verificationSleepMicros = 25000;
    static constexpr std::uint32_t enhancedModeSleepMicros = 50000;
    static constexpr double enhancedModeRestoreDelay = 0.15;

  private:
    void writeFrame(const WindowRef& window, const Rect& frame);
    bool verifyAndCorrect(const WindowRef& window, const Rect& frame);
    void finalPositionCheck(const WindowRef& window, const Rect& frame);

    WindowBackend& backend_;
    Clock& clock_;
};

} // namespace vantile
