#include <gtest/gtest.h>

#include "core/input/snap_manager.h"
#include "fake/fake_desktop.h"
#include "support/temp_dir.h"

namespace vantile {
namespace {

struct RecordingPreview : SnapPreview {
    void show(const Rect& rect) override {
        shown.push_back(rect);
        visible = true;
    }
    void hide() override { visible = false; }
    std::vector<Rect> shown;
    bool visible = false;
};

std::optional<WindowAction> actionAt(Point p, const std::vector<Screen>& screens) {
    const auto zone = zoneAt(p, screens);
    return zone ? std::optional(zone->action) : std::nullopt;
}

TEST(SnapZones, EdgesAndCornersOfOneScreen) {
    const std::vector<Screen> screens{{1, {0, 0, 1440, 900}, {0, 0, 1440, 875}, ""}};
    const std::vector<std::tuple<Point, WindowAction, Rect>> expected = {
        {{2, 450}, WindowAction::leftHalf, {0, 0, 720, 875}},
        {{2, 897}, WindowAction::topLeft, {0, 437.5, 720, 437.5}},
        {{720, 899}, WindowAction::maximize, {0, 0, 1440, 875}},
        {{720, 1}, WindowAction::bottomHalf, {0, 0, 1440, 437.5}},
        {{1439, 1}, WindowAction::bottomRight, {720, 0, 720, 437.5}},
        {{1443, 450}, WindowAction::rightHalf, {720, 0, 720, 875}},
    };
    for (const auto& [point, action, rect] : expected) {
        const auto zone = zoneAt(point, screens);
        ASSERT_TRUE(zone) << point.x << "," << point.y;
        EXPECT_EQ(zone->action, action) << point.x << "," << point.y;
        EXPECT_EQ(zone->rect, rect) << point.x << "," << point.y;
    }
    EXPECT_FALSE(actionAt({5, 450}, screens)) << "exactly 5 points away is not near";
    EXPECT_EQ(actionAt({4.9, 450}, screens), WindowAction::leftHalf);
    EXPECT_FALSE(actionAt({720, 450}, screens));
    EXPECT_FALSE(actionAt({-10.5, 450}, screens)) << "outside the catching margin";
    EXPECT_FALSE(actionAt({1450, 450}, screens)) << "max edges of the margin are exclusive";
    EXPECT_FALSE(actionAt({2, 450}, {}));
}

TEST(SnapZones, SharedEdgeBelongsToTheFirstListedScreen) {
    const std::vector<Screen> screens{{1, {0, 0, 1440, 900}, {0, 0, 1440, 900}, ""},
                                      {2, {1440, 0, 1920, 1080}, {1440, 0, 1920, 1080}, ""}};
    const auto zone = zoneAt({1440, 500}, screens);
    ASSERT_TRUE(zone);
    EXPECT_EQ(zone->action, WindowAction::rightHalf);
    EXPECT_EQ(zone->screen, screens[0]);
    EXPECT_EQ(zoneAt({1444, 1078}, screens)->action, WindowAction::topLeft)
        << "above the first screen, only the second catches it";
}

class SnapManagerTest : public ::testing::Test {
  protected:
    SnapManagerTest() {
        desktop.addScreen({0, 0, 1440, 900}, {0, 0, 1440, 875});
        window = desktop.addFocusedWindow({300, 300, 400, 300});
        snap.start();
    }
    void dragTo(Point p) {
        desktop.pointer = p;
        desktop.mouse(MouseEventKind::leftMouseDragged);
    }
    void release() { desktop.mouse(MouseEventKind::leftMouseUp); }
    Rect frame() { return desktop.windows.at(window).frame; }

    test::FakeDesktop desktop;
    test::TempDir config;
    RegionManager regions{desktop, desktop, RegionPersistence(config.path())};
    WindowManager manager{std::make_unique<AccessibilityManager>(desktop, desktop),
                          std::make_unique<ScreenDetection>(desktop), regions};
    RecordingPreview preview;
    SnapManager snap{manager, regions, desktop, desktop, preview};
    std::uint64_t window = 0;
};

TEST_F(SnapManagerTest, PreviewChangesOnlyWithTheZoneAndReleaseSnaps) {
    dragTo({600, 400});
    EXPECT_FALSE(snap.isDragging()) << "a drag away from the edges";
    dragTo({2, 450});
    dragTo({2, 500});
    EXPECT_EQ(preview.shown.size(), 1u) << "moving within one zone changes nothing";
    dragTo({2, 897});
    ASSERT_EQ(preview.shown.size(), 2u) << "into the corner: rebuilt once";
    EXPECT_EQ(preview.shown.back(), (Rect{0, 437.5, 720, 437.5}));
    EXPECT_TRUE(preview.visible);
    release();
    EXPECT_FALSE(preview.visible);
    EXPECT_EQ(frame(), (Rect{0, 25, 720, 437.5})) << "top left of the visible frame";
    EXPECT_FALSE(snap.isDragging());
    EXPECT_FALSE(snap.currentZone());
}

TEST_F(SnapManagerTest, LeavingTheZoneHidesThePreviewAndReleaseThenSnapsNothing) {
    dragTo({2, 450});
    dragTo({600, 450});
    EXPECT_FALSE(preview.visible);
    EXPECT_TRUE(snap.isDragging()) << "still dragging, out of the zone";
    release();
    EXPECT_EQ(frame(), (Rect{300, 300, 400, 300}));
    EXPECT_FALSE(snap.isDragging());
    release();
    EXPECT_EQ(frame(), (Rect{300, 300, 400, 300}));
}

TEST_F(SnapManagerTest, ReleasingInTheBottomRightCornerSnapsThere) {
    dragTo({1439, 1});
    release();
    EXPECT_EQ(frame(), (Rect{720, 462.5, 720, 437.5}));
}

// Window managers that switch desktops at the screen's edge carry the dragged window along.
TEST_F(SnapManagerTest, AReleaseOnAnotherDesktopThanTheDragBeganOnSnapsNothing) {
    desktop.desktop = 0;
    dragTo({1439, 450});
    desktop.desktop = 1;
    release();
    EXPECT_EQ(frame(), (Rect{300, 300, 400, 300}));
    EXPECT_FALSE(preview.visible);
    dragTo({1439, 450});
    release();
    EXPECT_EQ(frame(), (Rect{720, 25, 720, 875})) << "the next drag, on the new desktop, snaps";
}

TEST_F(SnapManagerTest, ADragThatArrivesDuringTheSnapIsNotWipedAfterIt) {
    dragTo({2, 450});
    desktop.duringRaise = [&] { dragTo({1439, 450}); };
    release();
    EXPECT_EQ(frame(), (Rect{0, 25, 720, 875}));
    ASSERT_TRUE(snap.currentZone()) << "the new drag's zone is kept";
    EXPECT_EQ(snap.currentZone()->action, WindowAction::rightHalf);
    EXPECT_TRUE(preview.visible);
}

TEST_F(SnapManagerTest, StopRemovesTheMonitorsAndHidesThePreview) {
    dragTo({2, 450});
    snap.stop();
    EXPECT_FALSE(preview.visible);
    EXPECT_EQ(desktop.installedMonitors(), 0u);
    release();
    EXPECT_EQ(frame(), (Rect{300, 300, 400, 300}));
}

} // namespace
} // namespace vantile
