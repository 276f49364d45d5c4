// A screen's editor window as Qt makes it: over the whole monitor and out of the window manager's
// hands, the view's edits kept as the window's working tree, loaded trees shown, and a window
// that goes away in the middle of its own event.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "editor/ui/qt_region_editor_window.h"
#include "editor/ui/region_editor_view.h"
#include "fake/fake_desktop.h"
#include "regions/builtin_presets.h"
#include "ui/test_application.h"

namespace vantile::test {
namespace {

class QtRegionEditorWindowTest : public ::testing::Test {
  protected:
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
        sendMouse(view, QEvent::MouseButtonPress, at);
        sendMouse(view, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }

    TestApplication app;
    FakeDesktop desktop;
    Screen screen = desktop.addScreen({0, 0, 1440, 900}, {0, 0, 1440, 875});
    std::unique_ptr<QtRegionEditorWindow> window = std::make_unique<QtRegionEditorWindow>(
        screen, builtInTree(builtInPresets()[0]), true, desktop, [] { return false; },
        QRect(0, 0, 1440, 900), false);
};

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
