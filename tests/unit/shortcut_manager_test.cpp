#include <gtest/gtest.h>

#include "core/input/shortcut_manager.h"
#include "core/regions/builtin_presets.h"
#include "fake/fake_desktop.h"
#include "support/temp_dir.h"

namespace vantile {
namespace {

constexpr std::uint64_t ctrlAlt = modifier::control | modifier::option;
constexpr std::uint64_t arrowFlags = modifier::numericPad | modifier::function;
constexpr std::uint16_t leftArrow = 123, rightArrow = 124, downArrow = 125, upArrow = 126;

struct CountingOpener : RegionEditorOpener {
    void openRegionEditor() override { ++opened; }
    int opened = 0;
};

class ShortcutManagerTest : public ::testing::Test {
  protected:
    ShortcutManagerTest() {
        screen = desktop.addScreen({0, 0, 1440, 900}, {0, 0, 1440, 875});
        window = desktop.addFocusedWindow({100, 100, 400, 300});
        shortcuts.start();
    }
    Rect frame() { return desktop.windows.at(window).frame; }
    bool key(std::uint16_t code, std::uint64_t flags, bool own = false) {
        return desktop.pressKey({code, flags}, own);
    }

    test::FakeDesktop desktop;
    test::TempDir config;
    RegionManager regions{desktop, desktop, RegionPersistence(config.path())};
    WindowManager manager{std::make_unique<AccessibilityManager>(desktop, desktop),
                          std::make_unique<ScreenDetection>(desktop), regions};
    ShortcutManager shortcuts{manager, regions, desktop};
    Screen screen;
    std::uint64_t window = 0;
};

TEST_F(ShortcutManagerTest, ControlOptionArrowSnapsOnlyWithExactlyThoseModifiers) {
    key(leftArrow, ctrlAlt | arrowFlags | modifier::capsLock);
    key(leftArrow, ctrlAlt | arrowFlags | modifier::shift);
    key(leftArrow, ctrlAlt | arrowFlags | modifier::command);
    key(leftArrow, modifier::control | arrowFlags);
    EXPECT_EQ(frame(), (Rect{100, 100, 400, 300})) << "caps lock, shift, Super or Ctrl alone";
    key(leftArrow, ctrlAlt | arrowFlags | 0x100); // device-dependent bits do not count
    EXPECT_EQ(frame(), (Rect{0, 25, 720, 875}));
}

TEST_F(ShortcutManagerTest, CommandTableMapsEveryKey) {
    const std::vector<std::pair<std::uint16_t, Rect>> expected = {
        {rightArrow, {720, 25, 720, 875}}, {upArrow, {0, 25, 1440, 437.5}},
        {125, {0, 462.5, 1440, 437.5}},    {36, {0, 25, 1440, 875}},
        {32, {0, 25, 480, 875}},           {34, {480, 25, 480, 875}},
        {31, {960, 25, 480, 875}},
    };
    for (const auto& [code, target] : expected) {
        EXPECT_TRUE(key(code, ctrlAlt, true)) << code;
        EXPECT_EQ(frame(), target) << "key " << code;
    }
    desktop.windows[window].frame = {0, 0, 400, 300};
    key(8, ctrlAlt); // C: center at its own size
    EXPECT_EQ(frame(), (Rect{520, 312.5, 400, 300}));
    key(15, ctrlAlt); // R: back to where it stood before the first snap
    EXPECT_EQ(frame(), (Rect{100, 100, 400, 300}));
}

TEST_F(ShortcutManagerTest, DigitsAndBracketsUseTheRegions) {
    regions.applyPreset(builtInPresets()[1], screen); // thirds, 480 wide
    EXPECT_TRUE(key(19, ctrlAlt, true));              // 2
    EXPECT_EQ(frame().x, 480);
    EXPECT_TRUE(key(30, ctrlAlt, true)); // ]
    EXPECT_EQ(frame().x, 960);
    EXPECT_TRUE(key(33, ctrlAlt, true)); // [
    EXPECT_EQ(frame().x, 480);
    EXPECT_TRUE(key(25, ctrlAlt, true)) << "9: no such region, still a shortcut";
    EXPECT_FALSE(key(29, ctrlAlt, true)) << "0 is no shortcut and is not swallowed";
}

TEST_F(ShortcutManagerTest, OptionArrowsMoveBetweenRegions) {
    regions.applyPreset(builtInPresets()[0], screen);
    EXPECT_TRUE(key(rightArrow, modifier::option | arrowFlags, true));
    EXPECT_EQ(frame().x, 720);
    EXPECT_TRUE(key(rightArrow, modifier::option | arrowFlags, true))
        << "nothing further right, but handled";
    EXPECT_EQ(frame().x, 720);
    EXPECT_FALSE(key(36, modifier::option, true)) << "other keys with Alt are not shortcuts";
}

TEST_F(ShortcutManagerTest, EachOptionArrowMovesToTheQuarterInItsDirection) {
    regions.applyPreset(builtInPresets()[2], screen); // quarters of (0, 25, 1440, 875)
    const struct {
        std::uint16_t key;
        Point origin;
    } steps[] = {{downArrow, {0, 462.5}},
                 {rightArrow, {720, 462.5}},
                 {upArrow, {720, 25}},
                 {leftArrow, {0, 25}}};
    for (const auto& step : steps) {
        key(step.key, modifier::option | arrowFlags);
        EXPECT_EQ(frame().origin(), step.origin) << "key " << step.key;
    }
}

TEST_F(ShortcutManagerTest, EditorKeyAsksTheOpenerWhileItLives) {
    auto opener = std::make_shared<CountingOpener>();
    shortcuts.setEditorOpener(opener);
    EXPECT_TRUE(key(14, ctrlAlt, true));
    EXPECT_EQ(opener->opened, 1);
    opener.reset();
    EXPECT_TRUE(key(14, ctrlAlt, true)) << "handled even with the opener gone";
}

TEST_F(ShortcutManagerTest, LocalMonitorSwallowsOnlyShortcutsAndStopRemovesBoth) {
    EXPECT_TRUE(key(leftArrow, ctrlAlt | arrowFlags, true));
    EXPECT_FALSE(key(0, ctrlAlt, true)) << "an A reaches the window";
    EXPECT_EQ(desktop.installedMonitors(), 2u);
    shortcuts.stop();
    EXPECT_EQ(desktop.installedMonitors(), 0u);
    EXPECT_FALSE(shortcuts.monitoring());
    desktop.windows[window].frame = {1, 2, 3, 4};
    EXPECT_FALSE(key(rightArrow, ctrlAlt | arrowFlags, true));
    EXPECT_EQ(frame(), (Rect{1, 2, 3, 4}));
}

TEST(ShortcutManagerLifetime, DestroyingTheManagerRemovesItsMonitors) {
    test::FakeDesktop desktop;
    test::TempDir config;
    RegionManager regions{desktop, desktop, RegionPersistence(config.path())};
    WindowManager manager{std::make_unique<AccessibilityManager>(desktop, desktop),
                          std::make_unique<ScreenDetection>(desktop), regions};
    {
        ShortcutManager shortcuts{manager, regions, desktop};
        shortcuts.start();
        EXPECT_EQ(desktop.installedMonitors(), 2u);
    }
    EXPECT_EQ(desktop.installedMonitors(), 0u);
    desktop.refuseMonitors = true;
    ShortcutManager refused{manager, regions, desktop};
    refused.start();
    EXPECT_FALSE(refused.monitoring());
}

} // namespace
} // namespace vantile
