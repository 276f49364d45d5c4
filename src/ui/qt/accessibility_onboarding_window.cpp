#include "ui/qt/accessibility_onboarding_window.h"

#include <QGuiApplication>
#include <QScreen>

#include "ui/qt/onboarding_widget.h"
#include "ui/qt/own_windows.h"

namespace vantile {

AccessibilityOnboardingWindow::AccessibilityOnboardingWindow(Clock& clock,
                                                             std::function<bool()> isTrusted,
                                                             std::function<void()> openSettings,
                                                             const std::string& unsupportedDesktop)
    : OnboardingWindow(clock, std::move(isTrusted)), openSettings_(std::move(openSettings)),
      widget_(std::make_unique<OnboardingWidget>([this] { openSystemSettings(); },
                                                 [this] { quitApp(); },
                                                 QString::fromStdString(unsupportedDesktop))) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), widget_->size());
        frame.moveCenter(screen->availableGeometry().center());
        widget_->move(frame.topLeft());
    }
}

AccessibilityOnboardingWindow::~AccessibilityOnboardingWindow() = default;

void AccessibilityOnboardingWindow::makeKeyAndOrderFront() {
    widget_->show();
    raiseOwnWindow(*widget_);
    widget_->activateWindow();
}

void AccessibilityOnboardingWindow::orderOut() {
    widget_->hide();
}

void AccessibilityOnboardingWindow::openSystemSettings() {
    // Whether the page opened is not examined: the window stays, and the wait ends however the
    // desktop becomes controllable.
    if (openSettings_) {
        openSettings_();
    }
}

QWidget* AccessibilityOnboardingWindow::widget() const {
    return widget_.get();
}

void AccessibilityOnboardingWindow::closeWindow() {
    widget_->allowClose();
    widget_->close();
}

} // namespace vantile
