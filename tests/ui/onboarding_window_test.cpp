// The onboarding window as it is drawn and used: its elements at their places, the picture in the
// accent colour, Return and Escape on the two buttons, and the checks going on or stopping.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <tuple>
#include <utility>

#include "app/ui/accessibility_onboarding_window.h"
#include "app/ui/onboarding_widget.h"
#include "fake/fake_desktop.h"
#include "ui/test_application.h"

namespace vantile::test {
namespace {

class OnboardingWindowTest : public ::testing::Test {
  protected:
    OnboardingWindowTest() {
        window.onQuit = [this] { ++quits; };
        window.onAccessibilityGranted = [this] { ++grants; };
    }

    OnboardingWidget& widget() { return *static_cast<OnboardingWidget*>(window.widget()); }
    QLabel* label(const char* text) {
        for (QLabel* label : widget().findChildren<QLabel*>()) {
            if (label->text().startsWith(text)) {
                return label;
            }
        }
        return nullptr;
    }

    TestApplication app;
    FakeDesktop desktop;
    bool trusted = false;
    int settingsOpened = 0;
    int quits = 0;
    int grants = 0;
    AccessibilityOnboardingWindow window{desktop, [this] { return trusted; },
                                         [this] { ++settingsOpened; }};
};

TEST_F(OnboardingWindowTest, ElementsSitWhereTheLayoutPutsThemAndThePictureIsInTheAccent) {
    EXPECT_EQ(widget().windowTitle(), "Vantile Window Manager");
    EXPECT_EQ(std::pair(widget().minimumSize(), widget().maximumSize()),
              std::pair(QSize(480, 320), QSize(480, 320)));
    EXPECT_FALSE(widget().windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(widget().settingsButton()->text(), "Open System Settings");
    // The buttons were laid out from the bottom-left corner: (150, 45, 180, 32), (205, 10, 70, 28).
    const std::pair<QWidget*, QRect> elements[] = {
        {widget().settingsButton(), {150, 243, 180, 32}},
        {widget().quitButton(), {205, 282, 70, 28}},
        {label("Accessibility Permission Required"), {20, 95, 440, 30}},
        {label("Vantile Window Manager needs"), {40, 135, 400, 100}}};
    for (const auto& [element, rect] : elements) {
        ASSERT_NE(element, nullptr);
        EXPECT_EQ(element->geometry(), rect);
    }
    EXPECT_TRUE(
        label("Vantile Window Manager needs")->text().contains("applications.\n\nClick the"));
    // The picture's box is (200, 10, 80, 80): its window's title bar filled solid, the screen
    // round it only outlined.
    const QImage image = widget().grab().toImage();
    const QRgb accent = widget().palette().color(QPalette::Highlight).rgb();
    const QRgb background = widget().palette().color(QPalette::Window).rgb();
    const std::tuple<int, int, QRgb> pixels[] = {
        {235, 41, accent}, {240, 25, accent}, {240, 60, background}, {10, 10, background}};
    for (const auto& [x, y, colour] : pixels) {
        EXPECT_EQ(image.pixel(x, y), colour) << x << "," << y;
    }
}

TEST_F(OnboardingWindowTest, ReturnOpensTheHelpAndKeepsCheckingEscapeQuitsOnlyTheProgramCloses) {
    window.makeKeyAndOrderFront();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&widget()));
    QTest::keyClick(&widget(), Qt::Key_Return);
    EXPECT_EQ(settingsOpened, 1);
    desktop.advance(0.6);
    EXPECT_TRUE(window.polling()) << "still checking after the page was opened";
    widget().close();
    EXPECT_TRUE(widget().isVisible()) << "the window manager cannot close it";

    QTest::keyClick(&widget(), Qt::Key_Escape);
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(window.polling());
    trusted = true;
    desktop.advance(1.0);
    EXPECT_EQ(grants, 0) << "nothing is reported after Quit";
    window.close();
    EXPECT_FALSE(widget().isVisible());
}

} // namespace
} // namespace vantile::test
