// The snap preview widget rendered offscreen: the colours of its pixels, the shape it keeps when
// no compositor runs, and how it follows show and hide.

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QWidget>

#include <memory>

#include "support/wait.h"
#include "ui/qt/snap_preview_window.h"
#include "ui/test_application.h"

namespace vantile {
namespace {

using namespace std::chrono_literals;

const QColor kAccent(40, 110, 220);

// Counts the events of some types a widget receives.
class EventCounter : public QObject {
  public:
    int shows = 0;
    int hides = 0;
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        shows += event->type() == QEvent::Show;
        hides += event->type() == QEvent::Hide;
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

class SnapPreviewRender : public ::testing::Test {
  protected:
    void SetUp() override {
        application_ = test::TestApplication::offscreen();
        test::TestApplication::setAccent(kAccent);
        preview_ = std::make_unique<SnapPreviewWindow>(host_);
    }

    void TearDown() override {
        preview_.reset();
        application_.reset();
    }

    QImage rendered() const {
        QWidget* widget = preview_->widget();
        QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        widget->render(&image);
        return image;
    }

    std::unique_ptr<test::TestApplication> application_;
    // Any placement will do offscreen; the size is what the pixels depend on. Under a primary 240
    // pixels high, a rect from y 20 to 220 stays where it is when screen space is flipped.
    struct Host : OverlayHost {
        bool compositing = true;
        bool compositorRunning() override { return compositing; }
        Rect primaryInDesktopPixels() override { return {0, 0, 400, 240}; }
    } host_;
    std::unique_ptr<SnapPreviewWindow> preview_;
};

void expectPixel(const QImage& image, int x, int y, const QColor& color, int alpha) {
    const QColor actual = image.pixelColor(x, y);
    SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
    EXPECT_NEAR(actual.alpha(), alpha, 1);
    // Premultiplied storage loses some precision in the colour of faint pixels.
    EXPECT_NEAR(actual.red(), color.red(), 3);
    EXPECT_NEAR(actual.green(), color.green(), 3);
    EXPECT_NEAR(actual.blue(), color.blue(), 3);
}

void expectClear(const QImage& image, int x, int y) {
    EXPECT_EQ(image.pixelColor(x, y).alpha(), 0) << "pixel " << x << "," << y;
}

TEST_F(SnapPreviewRender, WithCompositorBorderIsHalfAndInsideAFifthOfTheAccent) {
    preview_->show({50, 40, 200, 120});
    QWidget* widget = preview_->widget();
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->size(), QSize(200, 120));
    EXPECT_TRUE(widget->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(widget->mask().isEmpty());

    const QImage image = rendered();
    for (const QPoint border :
         {QPoint(0, 60), QPoint(1, 60), QPoint(198, 60), QPoint(199, 60), QPoint(100, 0),
          QPoint(100, 1), QPoint(100, 118), QPoint(100, 119)}) {
        expectPixel(image, border.x(), border.y(), kAccent, 128);
    }
    for (const QPoint inside : {QPoint(2, 60), QPoint(197, 60), QPoint(100, 2), QPoint(100, 117),
                                QPoint(100, 60), QPoint(5, 5)}) {
        expectPixel(image, inside.x(), inside.y(), kAccent, 51);
    }
    for (const QPoint corner : {QPoint(0, 0), QPoint(199, 0), QPoint(0, 119), QPoint(199, 119)}) {
        expectClear(image, corner.x(), corner.y());
    }
}

TEST_F(SnapPreviewRender, WithoutCompositorOnlyTheOpaqueRingIsKept) {
    host_.compositing = false;
    preview_->show({0, 0, 200, 120});
    QWidget* widget = preview_->widget();
    ASSERT_NE(widget, nullptr);
    EXPECT_FALSE(widget->testAttribute(Qt::WA_TranslucentBackground));

    const QRegion mask = widget->mask();
    for (const QPoint kept : {QPoint(0, 60), QPoint(1, 60), QPoint(199, 60), QPoint(100, 119)}) {
        EXPECT_TRUE(mask.contains(kept)) << kept.x() << "," << kept.y();
    }
    for (const QPoint dropped :
         {QPoint(2, 60), QPoint(100, 60), QPoint(197, 60), QPoint(0, 0), QPoint(199, 119)}) {
        EXPECT_FALSE(mask.contains(dropped)) << dropped.x() << "," << dropped.y();
    }
    const QImage image = rendered();
    expectPixel(image, 1, 60, kAccent, 255);
    expectPixel(image, 100, 118, kAccent, 255);
    // What the ring keeps is solid accent, round the corners too: there is nothing behind it to
    // blend an antialiased edge with.
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 200; ++x) {
            if (mask.contains(QPoint(x, y)) && (x < 8 || x > 191) && (y < 8 || y > 111)) {
                expectPixel(image, x, y, kAccent, 255);
            }
        }
    }
}

TEST_F(SnapPreviewRender, RingFollowsANewSize) {
    host_.compositing = false;
    preview_->show({0, 0, 200, 120});
    preview_->show({0, 0, 80, 300});
    const QRegion mask = preview_->widget()->mask();
    EXPECT_TRUE(mask.contains(QPoint(79, 150)));
    EXPECT_FALSE(mask.contains(QPoint(77, 150)));
    EXPECT_TRUE(mask.contains(QPoint(40, 299)));
    EXPECT_FALSE(mask.contains(QPoint(40, 60)));
}

TEST_F(SnapPreviewRender, WindowIsLeftAloneByTheWindowManagerAndNeverFocused) {
    preview_->show({0, 0, 100, 100});
    const Qt::WindowFlags flags = preview_->widget()->windowFlags();
    for (const Qt::WindowType flag :
         {Qt::FramelessWindowHint, Qt::WindowStaysOnTopHint, Qt::X11BypassWindowManagerHint,
          Qt::WindowTransparentForInput, Qt::WindowDoesNotAcceptFocus}) {
        EXPECT_TRUE(flags.testFlag(flag)) << std::hex << flag;
    }
    // Offscreen windows are activated whatever they ask for; on X the test checks the focus.
    EXPECT_TRUE(preview_->widget()->testAttribute(Qt::WA_ShowWithoutActivating));
}

TEST_F(SnapPreviewRender, SameRectAgainDoesNotHideTheWindow) {
    preview_->show({10, 20, 300, 200});
    QWidget* widget = preview_->widget();
    EventCounter counter;
    widget->installEventFilter(&counter);
    ASSERT_TRUE(test::waitUntil(
        [&] {
            QApplication::processEvents();
            return widget->isVisible();
        },
        2s));
    QApplication::processEvents();
    const int showsBefore = counter.shows;
    const int paintsBefore = counter.paints;

    preview_->show({10, 20, 300, 200});
    QApplication::processEvents();
    EXPECT_EQ(counter.hides, 0);
    EXPECT_EQ(counter.shows, showsBefore);
    EXPECT_EQ(preview_->widget(), widget);
    EXPECT_TRUE(widget->isVisible());

    // A new rect moves the same window and paints it afresh, still without hiding it.
    preview_->show({10, 20, 150, 200});
    EXPECT_EQ(preview_->widget(), widget);
    EXPECT_EQ(widget->geometry(), QRect(10, 20, 150, 200));
    EXPECT_TRUE(test::waitUntil(
        [&] {
            QApplication::processEvents();
            return counter.paints > paintsBefore;
        },
        2s));
    EXPECT_EQ(counter.hides, 0);
    widget->removeEventFilter(&counter);
}

TEST_F(SnapPreviewRender, HideHidesAndAnEmptyRectShowsNothing) {
    preview_->show({0, 0, 100, 100});
    ASSERT_TRUE(preview_->widget()->isVisible());
    preview_->hide();
    EXPECT_FALSE(preview_->widget()->isVisible());

    preview_->show({0, 0, 100, 100});
    ASSERT_TRUE(preview_->widget()->isVisible());
    preview_->show({0, 0, 0, 100});
    EXPECT_FALSE(preview_->widget()->isVisible());
}

TEST_F(SnapPreviewRender, ACompositorStartingOrStoppingChangesTheWindowOnTheNextShow) {
    preview_->show({0, 0, 100, 100});
    ASSERT_TRUE(preview_->widget()->testAttribute(Qt::WA_TranslucentBackground));

    host_.compositing = false;
    preview_->show({0, 0, 100, 100});
    EXPECT_FALSE(preview_->widget()->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_FALSE(preview_->widget()->mask().isEmpty());
    EXPECT_TRUE(preview_->widget()->isVisible());

    host_.compositing = true;
    preview_->show({0, 0, 100, 100});
    EXPECT_TRUE(preview_->widget()->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(preview_->widget()->mask().isEmpty());
    EXPECT_TRUE(preview_->widget()->isVisible());
}

} // namespace
} // namespace vantile
