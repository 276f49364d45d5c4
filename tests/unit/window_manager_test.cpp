// Geometry, which screen a window is on, and the window manager that reads, moves, verifies and
// restores windows on the in-memory desktop.

#include <gtest/gtest.h>

#include "backends/x11/verified_frame_writer.h"
#include "base/geometry.h"
#include "core/windows/window_action.h"
#include "unit/desktop_test.h"

namespace vantile {
namespace {

using test::describe;

TEST(Geometry, IntersectionFlipAndHalfOpenContainment) {
    const Rect a{0, 0, 100, 100}, r{10, 20, 30, 40};
    EXPECT_EQ(intersection(a, Rect{50, 60, 100, 100}), (Rect{50, 60, 50, 40}));
    EXPECT_FALSE(intersection(a, Rect{100, 0, 50, 50})) << "touching along an edge";
    EXPECT_EQ(intersection(a, Rect{150, 150, -100, -100}), (Rect{50, 50, 50, 50}));
    EXPECT_EQ(flipRect({100, 200, 300, 400}, 1080), (Rect{100, 480, 300, 400}));
    EXPECT_EQ(flipPoint(Point{5, 10}, 1080), (Point{5, 1070}));
    EXPECT_TRUE(contains(r, {10, 20}) && contains(r, {39.9, 59.9}));
    EXPECT_FALSE(contains(r, {40, 30}) || contains(r, {20, 60}) || contains(r, {9.9, 30}));
    // Thirds are not rounded; the inset of almostMaximize is fixed, even on a tiny area.
    const Rect v{10, 0, 1000, 500};
    EXPECT_DOUBLE_EQ(targetFrame(WindowAction::centerThird, v)->x, 10 + 1000.0 / 3);
    EXPECT_DOUBLE_EQ(targetFrame(WindowAction::rightThird, v)->width, 1000.0 / 3);
    EXPECT_DOUBLE_EQ(targetFrame(WindowAction::almostMaximize, Rect{0, 0, 30, 30})->width, -10);
    EXPECT_FALSE(targetFrame(WindowAction::center, v) || targetFrame(WindowAction::restore, v));
}

TEST(ScreenDetection, LargestOverlapWinsTiesGoFirstOutsideIsPrimaryAndFramesAreFlipped) {
    test::FakeDesktop desktop;
    ScreenDetection detection{desktop};
    EXPECT_FALSE(detection.screenForFrame({0, 0, 100, 100}) || detection.primaryHeight());
    EXPECT_EQ(detection.axVisibleFrame({7, {}, {1, 2, 3, 4}, ""}), (Rect{1, 2, 3, 4}))
        << "no screens: unconverted";
    const auto primary = desktop.addScreen({0, 0, 1000, 800}, {0, 0, 1000, 775});
    const auto right = desktop.addScreen({1000, 0, 1000, 800}, {1000, 0, 1000, 800});
    const auto above = desktop.addScreen({0, 800, 1920, 1080}, {0, 800, 1920, 1050});
    const auto below = desktop.addScreen({0, -768, 1024, 768}, {0, -768, 1024, 768});
    // Half on each, more on the right, only touching, outside all, above.
    const std::pair<Rect, Screen> frames[] = {
        {{500, 100, 1000, 400}, primary},  {{600, 100, 1000, 400}, right},
        {{1000, 100, 10, 10}, right},      {{990, 100, 10, 10}, primary},
        {{5000, 5000, 100, 100}, primary}, {{100, -500, 400, 300}, above}};
    for (const auto& [frame, screen] : frames) {
        EXPECT_EQ(detection.screenForFrame(frame), screen) << describe(frame);
    }
    EXPECT_EQ(detection.axVisibleFrame(primary), (Rect{0, 25, 1000, 775}));
    EXPECT_EQ(detection.axVisibleFrame(above), (Rect{0, -1050, 1920, 1050}));
    EXPECT_EQ(detection.axVisibleFrame(below), (Rect{0, 800, 1024, 768}));
}

class WindowManagerTest : public test::DesktopTest {
  protected:
    WindowManagerTest() { addLaptop(); }
    std::optional<Rect> historyOf(std::uint64_t id) {
        return manager.windowHistory().find(WindowManager::windowKey(WindowRef{id}));
    }
    const Rect start{100, 100, 400, 300};
};

TEST_F(WindowManagerTest, EveryActionByItsNameLandsOnItsTargetAndRecordsTheOldFrame) {
    const std::pair<const char*, Rect> expected[] = {
        {"leftHalf", {0, 25, 720, 875}},         {"rightHalf", {720, 25, 720, 875}},
        {"topHalf", {0, 25, 1440, 437.5}},       {"bottomHalf", {0, 462.5, 1440, 437.5}},
        {"topLeft", {0, 25, 720, 437.5}},        {"topRight", {720, 25, 720, 437.5}},
        {"bottomLeft", {0, 462.5, 720, 437.5}},  {"bottomRight", {720, 462.5, 720, 437.5}},
        {"leftThird", {0, 25, 480, 875}},        {"centerThird", {480, 25, 480, 875}},
        {"rightThird", {960, 25, 480, 875}},     {"maximize", {0, 25, 1440, 875}},
        {"almostMaximize", {20, 45, 1400, 835}}, {"center", {520, 312.5, 400, 300}}};
    for (const auto& [name, rect] : expected) {
        const auto id = desktop.addFocusedWindow(start);
        manager.perform(windowActionFromRawValue(name).value());
        EXPECT_EQ(frame(id), rect) << name;
        EXPECT_EQ(historyOf(id), start) << name;
    }
    const auto big = desktop.addFocusedWindow({0, 0, 2000, 1000});
    manager.perform(WindowAction::center);
    EXPECT_EQ(frame(big), (Rect{-280, -37.5, 2000, 1000})) << "centred, overhanging";
    // Names that are not quite an action's are refused where they arrive: URLs, command lines.
}

TEST_F(WindowManagerTest, WithoutPermissionOrAWindowOrAScreenNothingChanges) {
    manager.perform(WindowAction::maximize); // no window at all
    const auto id = desktop.addFocusedWindow(start);
    desktop.trusted = false;
    for (auto action : allWindowActions) {
        manager.perform(action);
    }
    manager.snapToRegion(0);
    manager.cycleRegion(true);
    manager.moveToAdjacentRegion(WindowAction::leftHalf);
    desktop.trusted = true;
    desktop.windows[id].vanished = true;
    manager.perform(WindowAction::maximize);
    desktop.windows[id].vanished = false;
    desktop.screenList.clear();
    manager.perform(WindowAction::maximize);
    EXPECT_EQ(manager.windowHistory().size(), 0u);
    EXPECT_EQ(desktop.writes, 0);
}

TEST_F(WindowManagerTest, RestoreReturnsToTheFrameBeforeTheFirstMoveAndHistoryHoldsFifty) {
    const auto id = desktop.addFocusedWindow(start);
    for (auto action : {WindowAction::maximize, WindowAction::maximize, WindowAction::leftHalf,
                        WindowAction::restore}) {
        manager.perform(action);
    }
    EXPECT_EQ(frame(id), start) << "the first frame recorded wins";
    EXPECT_FALSE(historyOf(id)) << "restore removes the entry";
    desktop.writes = 0;
    manager.perform(WindowAction::restore);
    EXPECT_EQ(desktop.writes, 0) << "nothing left to restore";
    for (int i = 0; i < 50; ++i) {
        desktop.addFocusedWindow({double(i), 0, 400, 300});
        manager.perform(WindowAction::maximize);
    }
    manager.perform(WindowAction::leftHalf); // a recorded window again does not grow it
    EXPECT_EQ(manager.windowHistory().size(), 50u);
    desktop.addFocusedWindow(start);
    manager.perform(WindowAction::maximize);
    EXPECT_EQ(manager.windowHistory().size(), 0u) << "emptied when it would hold more than fifty";
}

TEST_F(WindowManagerTest, TheWindowsScreenIsUsedAsReadOnceFromTheDesktop) {
    desktop.addScreen({1440, 0, 1920, 1080}, {1440, 0, 1920, 1080});
    const auto id = desktop.addFocusedWindow({1300, 100, 600, 400}); // mostly on the second
    int reads = 0;
    // A panel appears right after the first reading: the command keeps to what it read.
    desktop.afterScreensRead = [&] {
        ++reads;
        desktop.screenList[1].visibleFrame = {1440, 100, 1920, 800};
    };
    manager.perform(WindowAction::rightHalf);
    EXPECT_EQ(reads, 1);
    // The second screen is taller: its top lies 180 points above the primary's top.
    EXPECT_EQ(frame(id), (Rect{1440 + 960, -180, 960, 1080}));
}

class WindowManagerRegionsTest : public WindowManagerTest {
  protected:
    void layout(BSPNode tree) {
        regions.activeLayouts().insert_or_assign(RegionManager::screenKey(desktop.screenList[0]),
                                                 RegionLayout{std::move(tree)});
    }
    static BSPNode leaf(FractionalRect rect) { return BSPNode::leaf({Uuid::random(), rect, {}}); }
};

TEST_F(WindowManagerRegionsTest, SnapByNumberInReadingOrderAndCycleWithWrapping) {
    layout(builtInTree(test::preset(1))); // thirds: 480 points wide each
    const auto id = desktop.addFocusedWindow(start);
    manager.snapToRegion(1);
    EXPECT_EQ(frame(id), (Rect{480, 25, 480, 875}));
    EXPECT_EQ(manager.windowHistory().size(), 1u);
    desktop.writes = 0;
    manager.snapToRegion(3);
    manager.snapToRegion(-1);
    EXPECT_EQ(desktop.writes, 0);
    // From the last to the first, back to the last; from nowhere forward to the second and
    // backward to the last.
    const std::tuple<Rect, bool, double> steps[] = {{{1000, 100, 300, 300}, true, 0},
                                                    {{0, 25, 480, 875}, false, 960},
                                                    {{0, 2000, 100, 100}, true, 480},
                                                    {{0, 2000, 100, 100}, false, 960}};
    for (const auto& [from, forward, x] : steps) {
        desktop.windows[id].frame = from;
        manager.cycleRegion(forward);
        EXPECT_EQ(frame(id).x, x) << describe(from) << forward;
    }
}

TEST_F(WindowManagerRegionsTest, AdjacentRegionUsesTheScoreListOrderAndADeadBand) {
    // Left half, and the right half split into a top and a bottom quarter.
    layout(BSPNode::split(SplitDirection::vertical, 0.5, leaf({0, 0, 0.5, 1}),
                          BSPNode::split(SplitDirection::horizontal, 0.5, leaf({0.5, 0, 0.5, 0.5}),
                                         leaf({0.5, 0.5, 0.5, 0.5}))));
    const auto id = desktop.addFocusedWindow({100, 100, 300, 300});
    // Right: a tie, the top quarter comes first. Up from the bottom: the quarter, not the left
    // half. Nothing further right.
    const std::pair<WindowAction, Rect> steps[] = {
        {WindowAction::rightHalf, {720, 25, 720, 437.5}},
        {WindowAction::bottomHalf, {720, 462.5, 720, 437.5}},
        {WindowAction::topHalf, {720, 25, 720, 437.5}},
        {WindowAction::rightHalf, {720, 25, 720, 437.5}}};
    for (const auto& [direction, expected] : steps) {
        manager.moveToAdjacentRegion(direction);
        EXPECT_EQ(frame(id), expected) << rawValue(direction);
    }
    const auto lost = desktop.addFocusedWindow({0, 2000, 50, 50});
    manager.moveToAdjacentRegion(WindowAction::leftHalf);
    EXPECT_EQ(frame(lost), (Rect{0, 25, 720, 875})) << "from nowhere: the first region";

    // Centres closer than the dead band are no neighbours.
    layout(BSPNode::split(SplitDirection::horizontal, 0.5, leaf({0, 0, 0.5, 0.5}),
                          leaf({0.005, 0.5, 0.5, 0.5})));
    desktop.addFocusedWindow({100, 100, 100, 100});
    desktop.writes = 0;
    manager.moveToAdjacentRegion(WindowAction::rightHalf);
    manager.moveToAdjacentRegion(WindowAction::leftHalf);
    EXPECT_EQ(desktop.writes, 0);
}

// The log of one move to (100, 50, 640, 480): r raise, S and P the writes of that size and place,
// f a read of the frame, z a 25 ms settle.
std::string moveLog(test::FakeDesktop& desktop, std::uint64_t id) {
    desktop.log.clear();
    VerifiedFrameWriter(desktop, desktop).write(WindowRef{id}, {100, 50, 640, 480});
    const std::map<std::string, std::string> letters = {{"raise 1", "r"},
                                                        {"setSize 1 640x480", "S"},
                                                        {"setPosition 1 100,50", "P"},
                                                        {"read 1", "f"},
                                                        {"sleep 25000", "z"}};
    std::string out;
    for (const auto& entry : desktop.log) {
        out += letters.contains(entry) ? letters.at(entry) : "[" + entry + "]";
    }
    return out;
}

TEST(VerifiedFrameWriter, MovesAreVerifiedAndCorrectedAsTheWindowAnswers) {
    // Within 5 points counts as right. A window that shifts itself, refuses to grow past `most` or
    // shrink below `least` (zero: no limit), or vanishes; the letters of its move and the size it
    // ends at.
    const struct {
        Point offset;
        Size most, least;
        bool vanished;
        const char* log;
        Size size;
    } cases[] = {{{}, {}, {}, false, "rSPSzff", {640, 480}},
                 {{5, -5}, {}, {}, false, "rSPSzff", {640, 480}},
                 {{8, 0}, {}, {}, false, "rSPSzfPzfPfP", {640, 480}},
                 {{}, {500, 400}, {}, false, "rSPSzfSSzfSSf", {500, 400}},
                 {{0, 30}, {}, {800, 600}, false, "rSPSzfSPSzfSPSfP", {800, 600}},
                 {{}, {}, {}, true, "rSPSzff", {400, 300}}};
    for (const auto& c : cases) {
        test::FakeDesktop desktop;
        auto& window = desktop.windows[desktop.addFocusedWindow({0, 0, 400, 300})];
        std::tie(window.positionOffset, window.maxSize, window.minSize, window.vanished) =
            std::tie(c.offset, c.most, c.least, c.vanished);
        EXPECT_EQ(moveLog(desktop, 1), c.log) << c.log;
        EXPECT_EQ(window.frame.size(), c.size) << c.log;
    }
}

} // namespace
} // namespace vantile
