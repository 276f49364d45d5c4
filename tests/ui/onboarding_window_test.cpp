// The onboarding window as it is drawn and used: its elements at their places, the picture in the
// accent colour, Return and Escape on the two buttons, and the checks going on or stopping.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "fake/fake_desktop.h"
#include "test_application.h"
#include "ui/qt/accessibility_onboarding_window.h"
#include "ui/qt/onboarding_widget.h"

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

    std::unique_ptr<TestApplication> app = TestApplication::offscreen();
    FakeDesktop desktop;
    bool trusted = false;
    int settingsOpened = 0;
    int quits = 0;
    int grants = 0;
    AccessibilityOnboardingWindow window{desktop, [this] { return trusted; },
                                         [this] { ++settingsOpened; }};
};

TEST_F(OnboardingWindowTest, ElementsSitWhereTheLayoutPutsThem) {
    EXPECT_EQ(widget().windowTitle(), "Vantile Window Manager");
    EXPECT_EQ(widget().size(), QSize(480, 320));
    EXPECT_EQ(widget().minimumSize(), widget().maximumSize()) << "not resizable";
    EXPECT_FALSE(widget().windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(widget().settingsButton()->text(), "Open System Settings");
    // Laid out from the bottom-left corner: (150, 45, 180, 32) and (205, 10, 70, 28).
    EXPECT_EQ(widget().settingsButton()->geometry(), QRect(150, 243, 180, 32));
    EXPECT_EQ(widget().quitButton()->geometry(), QRect(205, 282, 70, 28));
    ASSERT_NE(label("Accessibility Permission Required"), nullptr);
    EXPECT_EQ(label("Accessibility Permission Required")->geometry(), QRect(20, 95, 440, 30));
    QLabel* body = label("Vantile Window Manager needs");
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->geometry(), QRect(40, 135, 400, 100));
    EXPECT_TRUE(body->text().contains("applications.\n\nClick the button below"));
}

TEST_F(OnboardingWindowTest, RendersThePictureInTheAccentColourAboveTheTexts) {
    const QImage image = widget().grab().toImage();
    ASSERT_EQ(image.size(), QSize(480, 320));
    const QColor accent = widget().palette().color(QPalette::Highlight);
    const QColor background = widget().palette().color(QPalette::Window);
    // The picture's box is (200, 10, 80, 80); its window's title bar is filled solid.
    EXPECT_EQ(image.pixelColor(235, 41).rgb(), accent.rgb());
    EXPECT_EQ(image.pixelColor(240, 25).rgb(), accent.rgb()) << "top edge of the screen outline";
    EXPECT_EQ(image.pixelColor(240, 60).rgb(), background.rgb()) << "outline only";
    EXPECT_EQ(image.pixelColor(10, 10).rgb(), background.rgb());
    int headingInk = 0;
    for (int y = 95; y < 125; ++y) {
        for (int x = 20; x < 460; ++x) {
            headingInk += image.pixelColor(x, y).rgb() != background.rgb();
        }
    }
    EXPECT_GT(headingInk, 200) << "the heading is drawn";
}

TEST_F(OnboardingWindowTest, ReturnOpensTheHelpAndKeepsCheckingEscapeQuits) {
    window.makeKeyAndOrderFront();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&widget()));
    QTest::keyClick(&widget(), Qt::Key_Return);
    EXPECT_EQ(settingsOpened, 1);
    EXPECT_TRUE(widget().isVisible());
    EXPECT_TRUE(window.polling());
    desktop.advance(0.6);
    EXPECT_TRUE(window.polling()) << "still checking after the page was opened";

    QTest::keyClick(&widget(), Qt::Key_Escape);
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(window.polling());
    trusted = true;
    desktop.advance(1.0);
    EXPECT_EQ(grants, 0) << "nothing is reported after Quit";
}

TEST_F(OnboardingWindowTest, TheWindowManagerCannotCloseItButTheProgramCan) {
    window.makeKeyAndOrderFront();
    widget().close();
    EXPECT_TRUE(widget().isVisible());
    window.close();
    EXPECT_FALSE(widget().isVisible());
    EXPECT_FALSE(window.polling());
}

} // namespace
} // namespace vantile::test
