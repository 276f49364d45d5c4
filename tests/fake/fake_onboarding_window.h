#pragma once

#include "app/onboarding_window.h"

namespace vantile::test {

// The onboarding window without widgets: its checks are the real ones; showing and hiding are
// recorded.
class FakeOnboardingWindow : public OnboardingWindow {
  public:
    using OnboardingWindow::OnboardingWindow;

    void makeKeyAndOrderFront() override { ++shown; }
    void orderOut() override { ++orderedOut; }

    int shown = 0;
    int orderedOut = 0;
    int closed = 0;

  protected:
    void closeWindow() override { ++closed; }
};

} // namespace vantile::test
