#include "app/onboarding_window.h"

namespace vantile {

OnboardingWindow::OnboardingWindow(Clock& clock, std::function<bool()> isTrusted)
    : clock_(clock), isTrusted_(std::move(isTrusted)),
      self_(std::make_shared<OnboardingWindow*>(this)) {
    polling_ = true;
    schedulePoll();
}

OnboardingWindow::~OnboardingWindow() = default;

void OnboardingWindow::schedulePoll() {
    std::weak_ptr<OnboardingWindow*> weak = self_;
    clock_.runAfter(pollInterval, [weak] {
        if (const auto self = weak.lock()) {
            (*self)->poll();
        }
    });
}

void OnboardingWindow::poll() {
    if (!polling_) {
        return;
    }
    if (!isTrusted_()) {
        schedulePoll();
        return;
    }
    stopPolling();
    // The callback may well destroy this window (its owner drops it once the wait is over), so
    // nothing of the window is touched after the call, and the callback runs from a copy.
    if (const auto granted = onAccessibilityGranted) {
        granted();
    }
}

void OnboardingWindow::stopPolling() {
    polling_ = false;
}

void OnboardingWindow::quitApp() {
    stopPolling();
    if (const auto quit = onQuit) {
        quit();
    }
}

void OnboardingWindow::close() {
    stopPolling();
    closeWindow();
}

} // namespace vantile
