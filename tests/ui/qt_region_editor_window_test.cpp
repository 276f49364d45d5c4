// A screen's editor window as Qt makes it: over the whole monitor and out of the window manager's
// hands, the view's edits kept as the window's working tree, loaded trees shown, and a window
// that goes away in the middle of its own event.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>

#include "core/regions/builtin_presets.h"
#include "fake/fake_desktop.h"
#include "test_application.h"
#include "ui/qt/editor/qt_region_editor_window.h"
#include "ui/qt/editor/region_editor_view.h"

namespace vantile::test {
namespace {

class QtRegionEditorWindowTest : public ::testing::Test {
  protected:
    QtRegionEditorWindowTest() {
        screen = desktop.addScreen({0, 0, 1440, 900}, {0, 0, 1440, 875});
        window = std::make_unique<QtRegionEditorWindow>(
            screen, builtInTree(builtInPresets()[0]), true, desktop, [] { return false; },
            QRect(0, 0, 1440, 900), false);
    }
    ~QtRegionEditorWindowTest() override {
        window.reset();
        // The view goes with the next turn of the event loop, which must come before the
        // application does.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A left click at a point given from the view's bottom-left corner.
    void click(const Point& viewPoint) {
        RegionEditorView& view = *window->view();
        const QPointF at(viewPoint.x, view.height() - viewPoint.y);
        for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, view.mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(&view, &event);
        }
    }

    std::unique_ptr<TestApplication> app = TestApplication::offscreen();
    FakeDesktop desktop;
    Screen screen;
    std::unique_ptr<QtRegionEditorWindow> window;
};

TEST_F(QtRegionEditorWindowTest, CoversItsScreenOutsideTheWindowManagersHands) {
    const Qt::WindowFlags flags = window->view()->windowFlags();
    EXPECT_TRUE(flags & Qt::X11BypassWindowManagerHint);
    EXPECT_TRUE(flags & Qt::FramelessWindowHint);
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window->view()->geometry(), QRect(0, 0, 1440, 900));
    EXPECT_EQ(window->view()->windowTitle(), QtRegionEditorWindow::title);
    EXPECT_TRUE(window->escapeMonitor().has_value()) << "the primary window carries the keys";
}

TEST_F(QtRegionEditorWindowTest, EditsBecomeTheWorkingTreeAndLoadedTreesAreShown) {
    window->makeKeyAndOrderFront();
    int interactions = 0;
    window->onEditorInteraction = [&] { ++interactions; };
    // Halves on (0, 25, 1440, 875): the left half's "two columns" button, right of its centre.
    const Rect left = window->view()->model().regionRects().at(0).rect;
    click({left.midX() + 18, left.midY() - 28});
    EXPECT_EQ(interactions, 1);
    EXPECT_EQ(window->workingTree().allRegions().size(), 3u);
    EXPECT_EQ(window->workingTree(), window->view()->tree());

    window->loadTree(builtInTree(builtInPresets()[2]));
    EXPECT_EQ(window->view()->tree(), window->workingTree());
    EXPECT_EQ(window->view()->model().regionRects().size(), 4u) << "laid out at once";
}

TEST_F(QtRegionEditorWindowTest, GoingAwayDuringItsOwnPressIsSafe) {
    window->makeKeyAndOrderFront();
    const std::size_t monitors = desktop.installedMonitors();
    window->onEditorInteraction = [&] { window.reset(); };
    click({100, 100}); // the window is destroyed inside the view's press; ASan reports misuse
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(desktop.installedMonitors(), monitors - 1) << "its key monitor went with it";
}

} // namespace
} // namespace vantile::test
