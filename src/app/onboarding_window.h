#pragma once

#include <functional>
#include <memory>

#include "platform/platform.h"

namespace vantile {

// The window shown while the desktop cannot be controlled. It explains what is missing and checks
// again every 0.3 s; once the desktop can be controlled it says so, once, and stops checking. It
// knows nothing of the rest of the program: its only outputs are its two callbacks.
class OnboardingWindow {
  public:
    // Starts checking at once.
    OnboardingWindow(Clock& clock, std::function<bool()> isTrusted);
    virtual ~OnboardingWindow();
    OnboardingWindow(const OnboardingWindow&) = delete;
    OnboardingWindow& operator=(const OnboardingWindow&) = delete;

    // Called at most once, from a check, when the desktop can be controlled.
    std::function<void()> onAccessibilityGranted;
    // Called when the user chooses to quit.
    std::function<void()> onQuit;

    virtual void makeKeyAndOrderFront() = 0;
    virtual void orderOut() = 0;

    // The "Quit" button: stops checking, so that nothing can be reported after it, then asks to
    // quit.
    void quitApp();
    // Stops checking and closes the window.
    void close();

    bool polling() const { return polling_; }

    static constexpr double pollInterval = 0.3;

  protected:
    virtual void closeWindow() = 0;

  private:
    void schedulePoll();
    void poll();
    void stopPolling();

    Clock& clock_;
    std::function<bool()> isTrusted_;
    bool polling_ = false;
    // Pending checks hold this weakly: a check that fires after the window is gone does nothing.
    std::shared_ptr<OnboardingWindow*> self_;
};

} // namespace vantile
