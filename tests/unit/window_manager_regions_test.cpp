#include <gtest/gtest.h>

#include "core/regions/builtin_presets.h"
#include "core/windows/window_manager.h"
#include "fake/fake_desktop.h"
#include "support/temp_dir.h"

namespace vantile {
namespace {

using test::describe;

Region region(FractionalRect rect, const char* label) {
    return {Uuid::random(), rect, label};
}

// Left half, and the right half split into a top and a bottom quarter.
BSPNode leftAndQuarters() {
    return BSPNode::split(
        SplitDirection::vertical, 0.5, BSPNode::leaf(region({0, 0, 0.5, 1}, "Left")),
        BSPNode::split(SplitDirection::horizontal, 0.5,
                       BSPNode::leaf(region({0.5, 0, 0.5, 0.5}, "Top Right")),
                       BSPNode::leaf(region({0.5, 0.5, 0.5, 0.5}, "Bottom Right"))));
}

class WindowManagerRegionsTest : public ::testing::Test {
  protected:
    WindowManagerRegionsTest() {
        // Visible frame (0, 25, 1440, 875) in the space of window frames.
        screen = desktop.addScreen({0, 0, 1440, 900}, {0, 0, 1440, 875});
    }
    void layout(BSPNode tree) {
        regions.activeLayouts().insert_or_assign(RegionManager::screenKey(screen),
                                                 RegionLayout{std::move(tree)});
    }
    std::uint64_t windowAt(const Rect& frame) { return desktop.addFocusedWindow(frame); }
    Rect frameOf(std::uint64_t id) { return desktop.windows.at(id).frame; }

    test::FakeDesktop desktop;
    test::TempDir config;
    RegionManager regions{desktop, desktop, RegionPersistence(config.path())};
    WindowManager manager{std::make_unique<AccessibilityManager>(desktop, desktop),
                          std::make_unique<ScreenDetection>(desktop), regions};
    Screen screen;
};

TEST_F(WindowManagerRegionsTest, SnapToRegionByNumberInReadingOrder) {
    layout(builtInTree(builtInPresets()[0]));
    const auto id = windowAt({100, 100, 400, 300});
    manager.snapToRegion(1);
    EXPECT_EQ(frameOf(id), (Rect{720, 25, 720, 875})) << describe(frameOf(id));
    EXPECT_EQ(manager.windowHistory().size(), 1u);
    desktop.log.clear();
    manager.snapToRegion(2);
    manager.snapToRegion(-1);
    EXPECT_TRUE(desktop.writes().empty());
}

TEST_F(WindowManagerRegionsTest, CyclingWrapsAndFallsBackToTheFirstRegion) {
    layout(builtInTree(builtInPresets()[1]));        // thirds: 480 points wide each
    const auto id = windowAt({1000, 100, 300, 300}); // centered in the last third
    manager.cycleRegion(true);
    EXPECT_EQ(frameOf(id).x, 0) << "after the last comes the first";
    manager.cycleRegion(false);
    manager.cycleRegion(false);
    EXPECT_EQ(frameOf(id).x, 480) << "back from the first to the last, then the middle";

    desktop.windows[id].frame = {0, 2000, 100, 100}; // center in no region
    manager.cycleRegion(true);
    EXPECT_EQ(frameOf(id).x, 480) << "forward from nowhere goes to the second";
    desktop.windows[id].frame = {0, 2000, 100, 100};
    manager.cycleRegion(false);
    EXPECT_EQ(frameOf(id).x, 960) << "backward from nowhere goes to the last";
}

TEST_F(WindowManagerRegionsTest, AdjacentRegionUsesTheScoreAndListOrderOnTies) {
    layout(leftAndQuarters());
    const auto id = windowAt({100, 100, 300, 300}); // in "Left"
    manager.moveToAdjacentRegion(WindowAction::rightHalf);
    EXPECT_EQ(frameOf(id), (Rect{720, 25, 720, 437.5})) << "tie: the top quarter comes first";
    manager.moveToAdjacentRegion(WindowAction::bottomHalf);
    EXPECT_EQ(frameOf(id).y, 462.5);
    manager.moveToAdjacentRegion(WindowAction::topHalf);
    EXPECT_EQ(frameOf(id), (Rect{720, 25, 720, 437.5})) << "up: the quarter, not the left half";
    desktop.log.clear();
    manager.moveToAdjacentRegion(WindowAction::rightHalf);
    EXPECT_TRUE(desktop.writes().empty()) << "nothing further right";

    const auto lost = windowAt({0, 2000, 50, 50});
    manager.moveToAdjacentRegion(WindowAction::leftHalf);
    EXPECT_EQ(frameOf(lost), (Rect{0, 25, 720, 875})) << "from nowhere: the first region";
}

TEST_F(WindowManagerRegionsTest, CentersCloserThanTheDeadBandAreNoNeighbours) {
    layout(BSPNode::split(SplitDirection::horizontal, 0.5,
                          BSPNode::leaf(region({0, 0, 0.5, 0.5}, "A")),
                          BSPNode::leaf(region({0.005, 0.5, 0.5, 0.5}, "B"))));
    windowAt({100, 100, 100, 100});
    desktop.log.clear();
    manager.moveToAdjacentRegion(WindowAction::rightHalf);
    manager.moveToAdjacentRegion(WindowAction::leftHalf);
    EXPECT_TRUE(desktop.writes().empty());
}

TEST_F(WindowManagerRegionsTest, WithoutALayoutOrPermissionNothingMoves) {
    windowAt({100, 100, 400, 300});
    manager.snapToRegion(0);
    manager.cycleRegion(true);
    manager.moveToAdjacentRegion(WindowAction::leftHalf);
    layout(builtInTree(builtInPresets()[0]));
    desktop.trusted = false;
    manager.snapToRegion(0);
    EXPECT_TRUE(desktop.writes().empty());
    EXPECT_EQ(manager.windowHistory().size(), 0u);
}

} // namespace
} // namespace vantile
