#pragma once

#include <QWidget>
#include <functional>

class QPushButton;

namespace vantile {

// The content of the onboarding window: the picture, the heading, the explanation and the two
// buttons, at fixed places in a window of fixed size.
class OnboardingWidget : public QWidget {
  public:
    OnboardingWidget(std::function<void()> openSettings, std::function<void()> quit);

    QPushButton* settingsButton() const { return settingsButton_; }
    QPushButton* quitButton() const { return quitButton_; }
    // Lets the next close through; the window manager alone cannot close this window.
    void allowClose() { closeAllowed_ = true; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void addTexts();
    void addButtons(std::function<void()> openSettings, std::function<void()> quit);

    QPushButton* settingsButton_ = nullptr;
    QPushButton* quitButton_ = nullptr;
    bool closeAllowed_ = false;
};

} // namespace vantile
