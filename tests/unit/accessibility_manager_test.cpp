#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/windows/accessibility_manager.h"
#include "fake/fake_desktop.h"

namespace vantile {
namespace {

using ::testing::ElementsAre;

class AccessibilityManagerTest : public ::testing::Test {
  protected:
    test::FakeDesktop desktop;
    AccessibilityManager ax{desktop, desktop};

    std::uint64_t window(const Rect& frame = {0, 0, 400, 300}) {
        return desktop.addFocusedWindow(frame);
    }
    void move(std::uint64_t id, const Rect& target) {
        desktop.log.clear();
        ax.setFrame(WindowRef{id}, target);
    }
};

TEST_F(AccessibilityManagerTest, FocusedWindowFallsBackToMainWindowThenWindowList) {
    const auto first = window();
    const auto second = window();
    auto& app = desktop.apps[100];
    EXPECT_EQ(ax.focusedWindow(), WindowRef{second});

    app.focusedWindow.reset();
    app.mainWindow = first;
    EXPECT_EQ(ax.focusedWindow(), WindowRef{first}) << "main window";

    app.mainWindow.reset();
    EXPECT_EQ(ax.focusedWindow(), WindowRef{first}) << "first of the window list";

    app.windows = std::vector<std::uint64_t>{};
    EXPECT_FALSE(ax.focusedWindow()) << "empty window list";
    app.windows.reset();
    EXPECT_FALSE(ax.focusedWindow()) << "unreadable window list";
    desktop.frontmostPid.reset();
    EXPECT_FALSE(ax.focusedWindow()) << "no frontmost program";
}

TEST_F(AccessibilityManagerTest, ReadsGiveNoneOnFailureAndZeroForAnotherKindOfValue) {
    const auto id = window({10, 20, 400, 300});
    EXPECT_EQ(ax.windowPosition(WindowRef{id}), (Point{10, 20}));
    desktop.windows[id].positionNotAValue = true;
    EXPECT_EQ(ax.windowPosition(WindowRef{id}), (Point{0, 0}));
    desktop.windows[id].positionReadFails = true;
    EXPECT_FALSE(ax.windowPosition(WindowRef{id}));
    desktop.windows[id].vanished = true;
    EXPECT_FALSE(ax.windowSize(WindowRef{id}));
}

TEST_F(AccessibilityManagerTest, AcceptedFrameTakesOnePassAndNoCorrections) {
    const auto id = window();
    move(id, {100, 50, 640, 480});
    EXPECT_THAT(desktop.log, ElementsAre("raise 1", "setSize 1 640x480", "setPosition 1 100,50",
                                         "setSize 1 640x480", "sleep 25000", "readPosition 1",
                                         "readSize 1", "readPosition 1", "readSize 1"));
    EXPECT_EQ(desktop.windows[id].frame, (Rect{100, 50, 640, 480}));
}

TEST_F(AccessibilityManagerTest, PositionOffByEightIsCorrectedWithPositionWritesOnly) {
    const auto id = window();
    desktop.windows[id].positionOffset = {8, 0};
    move(id, {100, 50, 640, 480});
    EXPECT_THAT(desktop.writes(),
                ElementsAre("setSize 1 640x480", "setPosition 1 100,50", "setSize 1 640x480",
                            "setPosition 1 100,50",   // first pass
                            "setPosition 1 100,50",   // second pass
                            "setPosition 1 100,50")); // final check
    EXPECT_EQ(desktop.count("sleep 25000"), 2u);
}

TEST_F(AccessibilityManagerTest, ToleranceOfFivePointsIsInclusive) {
    const auto id = window();
    desktop.windows[id].positionOffset = {5, -5};
    move(id, {100, 50, 640, 480});
    EXPECT_EQ(desktop.writes().size(), 3u) << "exactly 5 points off counts as right";
    EXPECT_EQ(desktop.count("sleep"), 1u);
}

TEST_F(AccessibilityManagerTest, ClampedSizeIsWrittenTwicePerPassThenLeftAlone) {
    const auto id = window();
    desktop.windows[id].maxSize = Size{500, 400};
    move(id, {0, 0, 640, 480});
    EXPECT_THAT(desktop.writes(),
                ElementsAre("setSize 1 640x480", "setPosition 1 0,0", "setSize 1 640x480",
                            "setSize 1 640x480", "setSize 1 640x480",   // first pass
                            "setSize 1 640x480", "setSize 1 640x480")); // second pass
    EXPECT_EQ(desktop.windows[id].frame.size(), (Size{500, 400}));
}

TEST_F(AccessibilityManagerTest, ClampedSizeAndWrongPositionCorrectBothInOrder) {
    const auto id = window();
    desktop.windows[id].minSize = Size{800, 600};
    desktop.windows[id].positionOffset = {0, 30};
    move(id, {0, 0, 640, 480});
    const auto writes = desktop.writes();
    ASSERT_EQ(writes.size(), 3u + 3u + 3u + 1u);
    EXPECT_THAT(std::vector(writes.begin() + 3, writes.begin() + 6),
                ElementsAre("setSize 1 640x480", "setPosition 1 0,0", "setSize 1 640x480"));
    EXPECT_EQ(writes.back(), "setPosition 1 0,0") << "final position check";
}

TEST_F(AccessibilityManagerTest, WindowThatVanishesEndsTheVerificationQuietly) {
    const auto id = window();
    desktop.windows[id].vanished = true;
    move(id, {0, 0, 640, 480});
    EXPECT_EQ(desktop.count("sleep"), 1u);
    EXPECT_EQ(desktop.writes().size(), 3u);
}

TEST_F(AccessibilityManagerTest, EnhancedModeIsOffDuringTheMoveAndBackAfterwards) {
    const auto id = window();
    desktop.apps[100].enhancedUserInterface = true;
    move(id, {0, 0, 640, 480});
    ASSERT_GE(desktop.log.size(), 3u);
    EXPECT_EQ(desktop.log[0], "setEnhanced 100 false");
    EXPECT_EQ(desktop.log[1], "sleep 50000");
    EXPECT_EQ(desktop.log[2], "raise 1");
    EXPECT_EQ(desktop.apps[100].enhancedUserInterface, false);

    desktop.advance(0.1);
    EXPECT_EQ(desktop.apps[100].enhancedUserInterface, false);
    // A second move inside the delay finds the mode already off and schedules nothing.
    move(id, {10, 0, 640, 480});
    EXPECT_EQ(desktop.count("setEnhanced"), 0u);
    EXPECT_EQ(desktop.pendingTasks(), 1u);
    desktop.advance(0.05);
    EXPECT_EQ(desktop.apps[100].enhancedUserInterface, true);
}

TEST_F(AccessibilityManagerTest, UnreadableEnhancedModeOrUnknownProgramMeansNoSwitch) {
    const auto id = window();
    move(id, {0, 0, 640, 480});
    EXPECT_EQ(desktop.count("setEnhanced"), 0u);
    EXPECT_EQ(desktop.count("sleep 50000"), 0u);

    desktop.apps[100].enhancedUserInterface = true;
    desktop.windows[id].pid = 0;
    move(id, {0, 0, 640, 480});
    EXPECT_EQ(desktop.count("setEnhanced"), 0u) << "no program element without a process id";
}

} // namespace
} // namespace vantile
