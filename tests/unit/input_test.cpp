// Input on the in-memory desktop: dragging a window to a screen edge and the keyboard shortcuts.

#include <gtest/gtest.h>

#include "core/input/shortcut_manager.h"
#include "core/input/snap_manager.h"
#include "unit/desktop_test.h"

namespace vantile {
namespace {

TEST(SnapZones, EdgesAndCornersOfOneScreenInScreenSpace) {
    const std::vector<Screen> screens{{1, {0, 0, 1440, 900}, {0, 0, 1440, 875}, ""}};
    const std::vector<std::tuple<Point, std::optional<WindowAction>, Rect>> expected = {
        {{2, 450}, WindowAction::leftHalf, {0, 0, 720, 875}},
        {{4.9, 450}, WindowAction::leftHalf, {0, 0, 720, 875}},
        {{2, 897}, WindowAction::topLeft, {0, 437.5, 720, 437.5}},
        {{720, 899}, WindowAction::maximize, {0, 0, 1440, 875}},
        {{720, 1}, WindowAction::bottomHalf, {0, 0, 1440, 437.5}},
        {{1439, 1}, WindowAction::bottomRight, {720, 0, 720, 437.5}},
        {{1443, 450}, WindowAction::rightHalf, {720, 0, 720, 875}},
        {{5, 450}, std::nullopt, {}}, // exactly 5 points away is not near
        {{720, 450}, std::nullopt, {}},
        {{-10.5, 450}, std::nullopt, {}}, // outside the catching margin
        {{1450, 450}, std::nullopt, {}}   // max edges of the margin are exclusive
    };
    for (const auto& [point, action, rect] : expected) {
        SCOPED_TRACE(::testing::Message() << point.x << "," << point.y);
        const auto zone = zoneAt(point, screens);
        ASSERT_EQ(zone.has_value(), action.has_value());
        if (zone) {
            EXPECT_EQ(zone->action, action);
            EXPECT_EQ(zone->rect, rect);
        }
    }
    EXPECT_FALSE(zoneAt({2, 450}, {}));
    // A shared edge belongs to the first listed screen.
    const std::vector<Screen> two{screens[0],
                                  {2, {1440, 0, 1920, 1080}, {1440, 0, 1920, 1080}, ""}};
    EXPECT_EQ(zoneAt({1440, 500}, two)->action, WindowAction::rightHalf);
    EXPECT_EQ(zoneAt({1440, 500}, two)->screen, two[0]);
    EXPECT_EQ(zoneAt({1444, 1078}, two)->action, WindowAction::topLeft)
        << "above the first screen, only the second catches it";
}

struct RecordingPreview : SnapPreview {
    void show(const Rect& rect) override {
        shown.push_back(rect);
        visible = true;
    }
    void hide() override { visible = false; }
    std::vector<Rect> shown;
    bool visible = false;
};

class SnapManagerTest : public test::DesktopTest {
  protected:
    SnapManagerTest() {
        addLaptop();
        snap.start();
    }
    void dragTo(Point p) {
        desktop.pointer = p;
        desktop.mouse(MouseEventKind::leftMouseDragged);
    }
    void release() { desktop.mouse(MouseEventKind::leftMouseUp); }

    RecordingPreview recorder;
    SnapManager snap{manager, regions, desktop, desktop, recorder};
    std::uint64_t window = desktop.addFocusedWindow({300, 300, 400, 300});
    const Rect unmoved{300, 300, 400, 300};
};

TEST_F(SnapManagerTest, PreviewChangesOnlyWithTheZoneAndReleaseSnaps) {
    dragTo({600, 400});
    EXPECT_FALSE(snap.isDragging()) << "a drag away from the edges";
    dragTo({2, 450});
    dragTo({2, 500});
    EXPECT_EQ(recorder.shown.size(), 1u) << "moving within one zone changes nothing";
    dragTo({2, 897});
    EXPECT_EQ(recorder.shown, (std::vector<Rect>{{0, 0, 720, 875}, {0, 437.5, 720, 437.5}}));
    dragTo({600, 450});
    EXPECT_TRUE(snap.isDragging() && !recorder.visible) << "out of the zone, still dragging";
    dragTo({2, 897});
    EXPECT_TRUE(recorder.visible);
    release();
    EXPECT_FALSE(recorder.visible);
    EXPECT_EQ(frame(window), (Rect{0, 25, 720, 437.5})) << "top left of the visible frame";
    EXPECT_FALSE(snap.isDragging() || snap.currentZone());
}

// Window managers that switch desktops at the screen's edge carry the dragged window along.
TEST_F(SnapManagerTest, AReleaseOnAnotherDesktopThanTheDragBeganOnSnapsNothing) {
    desktop.desktop = 0;
    dragTo({1439, 450});
    desktop.desktop = 1;
    release();
    EXPECT_EQ(frame(window), unmoved);
    EXPECT_FALSE(recorder.visible);
    dragTo({1439, 1});
    release();
    EXPECT_EQ(frame(window), (Rect{720, 462.5, 720, 437.5})) << "the next drag snaps";
}

TEST_F(SnapManagerTest, ADragThatArrivesDuringTheSnapIsNotWipedAfterIt) {
    dragTo({2, 450});
    desktop.duringRaise = [&] { dragTo({1439, 450}); };
    release();
    EXPECT_EQ(frame(window), (Rect{0, 25, 720, 875}));
    ASSERT_TRUE(snap.currentZone()) << "the new drag's zone is kept";
    EXPECT_EQ(snap.currentZone()->action, WindowAction::rightHalf);
    EXPECT_TRUE(recorder.visible);
}

TEST_F(SnapManagerTest, StopRemovesTheMonitorsAndHidesThePreview) {
    dragTo({2, 450});
    snap.stop();
    EXPECT_FALSE(recorder.visible);
    EXPECT_EQ(desktop.installedMonitors(), 0u);
    release();
    EXPECT_EQ(frame(window), unmoved);
}

constexpr std::uint64_t ctrlAlt = ShortcutManager::controlOption;
constexpr std::uint64_t arrow = modifier::numericPad | modifier::function;
constexpr std::uint16_t leftArrow = 123, rightArrow = 124, downArrow = 125, upArrow = 126;

struct CountingOpener : RegionEditorOpener {
    void openRegionEditor() override { ++opened; }
    int opened = 0;
};

class ShortcutManagerTest : public test::DesktopTest {
  protected:
    ShortcutManagerTest() { shortcuts.start(); }
    bool key(std::uint16_t code, std::uint64_t flags, bool own = true) {
        return desktop.pressKey({code, flags}, own);
    }

    Screen screen = addLaptop();
    std::uint64_t window = desktop.addFocusedWindow({100, 100, 400, 300});
    ShortcutManager shortcuts{manager, regions, desktop};
};

TEST_F(ShortcutManagerTest, ControlAltKeysSnapOnlyWithExactlyThoseModifiers) {
    for (const auto flags : {ctrlAlt | modifier::capsLock, ctrlAlt | modifier::shift,
                             ctrlAlt | modifier::command, modifier::control}) {
        EXPECT_FALSE(key(leftArrow, flags | arrow)) << flags;
        key(leftArrow, flags | arrow, false);
    }
    EXPECT_EQ(frame(window), (Rect{100, 100, 400, 300})) << "caps lock, shift, Super, Ctrl alone";
    const std::vector<std::tuple<std::uint16_t, std::uint64_t, Rect>> table = {
        {leftArrow, arrow | 0x100, {0, 25, 720, 875}}, // device-dependent bits do not count
        {rightArrow, arrow, {720, 25, 720, 875}},
        {upArrow, arrow, {0, 25, 1440, 437.5}},
        {downArrow, arrow, {0, 462.5, 1440, 437.5}},
        {36, 0, {0, 25, 1440, 875}}, // Return
        {32, 0, {0, 25, 480, 875}},  // U, I, O: the thirds
        {34, 0, {480, 25, 480, 875}},
        {31, 0, {960, 25, 480, 875}},
        {8, 0, {520, 312.5, 400, 300}}, // C: centre at its own size (set to 400 x 300 first)
        {15, 0, {100, 100, 400, 300}}   // R: back to where it stood before the first snap
    };
    for (const auto& [code, flags, target] : table) {
        if (code == 8) {
            desktop.windows[window].frame = {0, 0, 400, 300};
        }
        const bool own = code % 2 == 0; // some to a window of this program, swallowed there
        EXPECT_EQ(key(code, ctrlAlt | flags, own), own) << "key " << code;
        EXPECT_EQ(frame(window), target) << "key " << code;
    }
}

TEST_F(ShortcutManagerTest, DigitsBracketsAndAltArrowsUseTheRegions) {
    regions.applyPreset(test::preset(1), screen); // thirds, 480 wide
    const std::vector<std::tuple<std::uint16_t, std::uint64_t, bool, double>> thirds = {
        {19, ctrlAlt, true, 480},  // 2
        {30, ctrlAlt, true, 960},  // ]
        {33, ctrlAlt, true, 480},  // [
        {25, ctrlAlt, true, 480},  // 9: no such region, still a shortcut
        {29, ctrlAlt, false, 480}, // 0 is no shortcut and is not swallowed
        {rightArrow, modifier::option | arrow, true, 960},
        {rightArrow, modifier::option | arrow, true, 960}, // nothing further right, but handled
        {36, modifier::option, false, 960}                 // other keys with Alt are not shortcuts
    };
    for (const auto& [code, flags, swallowed, x] : thirds) {
        EXPECT_EQ(key(code, flags), swallowed) << "key " << code;
        EXPECT_EQ(frame(window).x, x) << "key " << code;
    }
    regions.applyPreset(test::preset(2), screen); // quarters of (0, 25, 1440, 875)
    desktop.windows[window].frame = {100, 100, 400, 300};
    const std::pair<std::uint16_t, Point> steps[] = {{downArrow, {0, 462.5}},
                                                     {rightArrow, {720, 462.5}},
                                                     {upArrow, {720, 25}},
                                                     {leftArrow, {0, 25}}};
    for (const auto& [code, origin] : steps) {
        key(code, modifier::option | arrow, false);
        EXPECT_EQ(frame(window).origin(), origin) << "key " << code;
    }
}

TEST_F(ShortcutManagerTest, EditorKeyAsksTheOpenerWhileItLivesAndStopRemovesTheMonitors) {
    auto opener = std::make_shared<CountingOpener>();
    shortcuts.setEditorOpener(opener);
    EXPECT_TRUE(key(14, ctrlAlt));
    EXPECT_EQ(opener->opened, 1);
    opener.reset();
    EXPECT_TRUE(key(14, ctrlAlt)) << "handled even with the opener gone";
    EXPECT_FALSE(key(0, ctrlAlt)) << "an A reaches the window";

    EXPECT_EQ(desktop.installedMonitors(), 2u);
    shortcuts.stop();
    EXPECT_EQ(desktop.installedMonitors(), 0u);
    EXPECT_FALSE(shortcuts.monitoring());
    EXPECT_FALSE(key(rightArrow, ctrlAlt | arrow));
    EXPECT_EQ(frame(window), (Rect{100, 100, 400, 300}));
    {
        ShortcutManager scoped{manager, regions, desktop};
        scoped.start();
        EXPECT_EQ(desktop.installedMonitors(), 2u);
    }
    EXPECT_EQ(desktop.installedMonitors(), 0u) << "destroying the manager removes its monitors";
    desktop.refuseMonitors = true;
    shortcuts.start();
    EXPECT_FALSE(shortcuts.monitoring());
}

} // namespace
} // namespace vantile
