#pragma once

// The onboarding window on the desktop: a titled 480 x 320 window without close, minimise or
// resize controls that explains why the program cannot work yet.

#include <functional>
#include <memory>
#include <string>

#include "app/onboarding_window.h"

class QWidget;

namespace vantile {

class OnboardingWidget;

class AccessibilityOnboardingWindow : public OnboardingWindow {
  public:
    // Needs a QApplication for as long as it lives. `openSettings` is what the first button does.
    // `unsupportedDesktop` names a desktop the program cannot work on.
    AccessibilityOnboardingWindow(Clock& clock, std::function<bool()> isTrusted,
                                  std::function<void()> openSettings,
                                  const std::string& unsupportedDesktop = {});
    ~AccessibilityOnboardingWindow() override;

    void makeKeyAndOrderFront() override;
    void orderOut() override;
    // The first button (and Return): the window stays and keeps checking.
    void openSystemSettings();

    QWidget* widget() const;

    static constexpr int width = 480;
    static constexpr int height = 320;

  protected:
    void closeWindow() override;

  private:
    std::function<void()> openSettings_;
    std::unique_ptr<OnboardingWidget> widget_;
};

} // namespace vantile
