#pragma once

#include <QWidget>
#include <functional>

class QPushButton;

namespace vantile {

// The content of the onboarding window: the picture, the heading, the explanation and the two
// buttons, at fixed places in a window of fixed size.
class OnboardingWidget : public QWidget {
  public:
    // `unsupportedDesktop` names a desktop the program cannot work on at all; the window then
    // says so instead of asking for permission.
    OnboardingWidget(std::function<void()> openSettings, std::function<void()> quit,
                     const QString& unsupportedDesktop = {});

    QPushButton* settingsButton() const { return settingsButton_; }
    QPushButton* quitButton() const { return quitButton_; }
    // Lets the next close through; the window manager alone cannot close this window.
    void allowClose() { closeAllowed_ = true; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void addTexts(const QString& heading, const QString& body);
    void addButtons(const QString& settings, std::function<void()> openSettings,
                    std::function<void()> quit);

    QPushButton* settingsButton_ = nullptr;
    QPushButton* quitButton_ = nullptr;
    bool closeAllowed_ = false;
};

} // namespace vantile
