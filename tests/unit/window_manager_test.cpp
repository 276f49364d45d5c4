#include <gtest/gtest.h>

#include "core/windows/window_manager.h"
#include "fake/fake_desktop.h"
#include "support/temp_dir.h"

namespace vantile {
namespace {

using test::describe;

class WindowManagerTest : public ::testing::Test {
  protected:
    WindowManagerTest() {
        // A 1440 x 900 primary with a 25-point bar at the top: visible (0, 25, 1440, 875) in the
        // top-left space.
        desktop.addScreen({0, 0, 1440, 900}, {0, 0, 1440, 875});
    }

    test::FakeDesktop desktop;
    test::TempDir config;
    RegionManager regions{desktop, desktop, RegionPersistence(config.path())};
    WindowManager manager{std::make_unique<AccessibilityManager>(desktop, desktop),
                          std::make_unique<ScreenDetection>(desktop), regions};

    Rect frameOf(std::uint64_t id) { return desktop.windows.at(id).frame; }
    std::optional<Rect> historyOf(std::uint64_t id) {
        return manager.windowHistory().find(WindowManager::windowKey(WindowRef{id}));
    }
};

TEST_F(WindowManagerTest, EveryFrameActionLandsOnItsTargetAndRecordsTheOldFrame) {
    const Rect start{100, 100, 400, 300};
    for (auto action : allWindowActions) {
        if (action == WindowAction::center || action == WindowAction::restore) {
            continue;
        }
        const auto id = desktop.addFocusedWindow(start);
        manager.perform(action);
        EXPECT_EQ(frameOf(id), targetFrame(action, {0, 25, 1440, 875}))
            << rawValue(action) << " gave " << describe(frameOf(id));
        EXPECT_EQ(historyOf(id), start) << rawValue(action);
    }
}

TEST_F(WindowManagerTest, CenterKeepsTheSizeAndMayOverhang) {
    const auto id = desktop.addFocusedWindow({3, 4, 400, 300});
    manager.perform(WindowAction::center);
    EXPECT_EQ(frameOf(id), (Rect{520, 312.5, 400, 300}));

    const auto big = desktop.addFocusedWindow({0, 0, 2000, 1000});
    manager.perform(WindowAction::center);
    EXPECT_EQ(frameOf(big), (Rect{-280, -37.5, 2000, 1000}));
}

TEST_F(WindowManagerTest, WithoutPermissionNothingChangesNotEvenTheHistory) {
    const auto id = desktop.addFocusedWindow({100, 100, 400, 300});
    desktop.trusted = false;
    for (auto action : allWindowActions) {
        manager.perform(action);
    }
    EXPECT_EQ(frameOf(id), (Rect{100, 100, 400, 300}));
    EXPECT_EQ(manager.windowHistory().size(), 0u);
    EXPECT_TRUE(desktop.writes().empty());
}

TEST_F(WindowManagerTest, MissingPiecesStopTheCommandSilently) {
    manager.perform(WindowAction::maximize); // no window at all
    const auto id = desktop.addFocusedWindow({100, 100, 400, 300});
    desktop.windows[id].sizeReadFails = true;
    manager.perform(WindowAction::maximize);
    desktop.windows[id].sizeReadFails = false;
    desktop.screenList.clear();
    manager.perform(WindowAction::maximize);
    EXPECT_TRUE(desktop.writes().empty());
    EXPECT_EQ(manager.windowHistory().size(), 0u);
}

TEST_F(WindowManagerTest, RestoreReturnsToTheFrameBeforeTheFirstMove) {
    const auto id = desktop.addFocusedWindow({100, 100, 400, 300});
    manager.perform(WindowAction::maximize);
    manager.perform(WindowAction::maximize);
    manager.perform(WindowAction::leftHalf);
    EXPECT_EQ(historyOf(id), (Rect{100, 100, 400, 300})) << "the first frame recorded wins";
    manager.perform(WindowAction::restore);
    EXPECT_EQ(frameOf(id), (Rect{100, 100, 400, 300}));
    EXPECT_FALSE(historyOf(id)) << "restore removes the entry";

    desktop.log.clear();
    manager.perform(WindowAction::restore);
    EXPECT_TRUE(desktop.writes().empty()) << "nothing left to restore";
}

TEST_F(WindowManagerTest, HistoryIsEmptiedWhenItWouldHoldMoreThanFifty) {
    for (int i = 0; i < 50; ++i) {
        desktop.addFocusedWindow({double(i), 0, 400, 300});
        manager.perform(WindowAction::maximize);
    }
    EXPECT_EQ(manager.windowHistory().size(), 50u);
    // Moving an already recorded window again does not grow it.
    manager.perform(WindowAction::leftHalf);
    EXPECT_EQ(manager.windowHistory().size(), 50u);
    desktop.addFocusedWindow({0, 0, 400, 300});
    manager.perform(WindowAction::maximize);
    EXPECT_EQ(manager.windowHistory().size(), 0u);
}

TEST_F(WindowManagerTest, WindowMostlyOnTheSecondScreenUsesThatScreen) {
    desktop.addScreen({1440, 0, 1920, 1080}, {1440, 0, 1920, 1080});
    const auto id = desktop.addFocusedWindow({1300, 100, 600, 400});
    manager.perform(WindowAction::rightHalf);
    // The second screen is taller: its top lies 180 points above the primary's top.
    EXPECT_EQ(frameOf(id), (Rect{1440 + 960, -180, 960, 1080}));
}

TEST_F(WindowManagerTest, ScreenAndVisibleFrameComeFromOneReadingOfTheDesktop) {
    const auto id = desktop.addFocusedWindow({100, 100, 400, 300});
    int reads = 0;
    // A panel appears right after the first reading: the command keeps to what it read.
    desktop.afterScreensRead = [&] {
        ++reads;
        desktop.screenList[0].visibleFrame = {0, 100, 1440, 800};
    };
    manager.perform(WindowAction::leftHalf);
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(frameOf(id), (Rect{0, 25, 720, 875}));
}

} // namespace
} // namespace vantile
