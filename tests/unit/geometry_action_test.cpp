#include <gtest/gtest.h>

#include "base/geometry.h"
#include "core/windows/window_action.h"
#include "fake/fake_desktop.h"

namespace vantile {
namespace {

using test::describe;

TEST(Geometry, IntersectionNeedsPositiveArea) {
    const Rect a{0, 0, 100, 100};
    EXPECT_EQ(intersection(a, Rect{50, 60, 100, 100}), (Rect{50, 60, 50, 40}));
    EXPECT_FALSE(intersection(a, Rect{100, 0, 50, 50})) << "touching along an edge";
    EXPECT_FALSE(intersection(a, Rect{200, 200, 10, 10}));
    EXPECT_EQ(intersection(a, Rect{150, 150, -100, -100}), (Rect{50, 50, 50, 50}))
        << "negative sizes are normalised";
}

TEST(Geometry, FlipConvertsBetweenSpacesBothWays) {
    const Rect screenSpace{100, 200, 300, 400};
    const Rect ax = flipRect(screenSpace, 1080);
    EXPECT_EQ(ax, (Rect{100, 480, 300, 400}));
    EXPECT_EQ(flipRect(ax, 1080), screenSpace);
    EXPECT_EQ(flipPoint(Point{5, 10}, 1080), (Point{5, 1070}));
}

TEST(Geometry, PointTestsAreHalfOpenSoNeighboursShareNoPoint) {
    const Rect r{10, 20, 30, 40};
    EXPECT_TRUE(contains(r, {10, 20}));
    EXPECT_TRUE(contains(r, {39.9, 59.9}));
    EXPECT_FALSE(contains(r, {40, 30}));
    EXPECT_FALSE(contains(r, {20, 60}));
    EXPECT_FALSE(contains(r, {9.9, 30}));
}

TEST(WindowAction, RawValuesRoundTripInDeclarationOrder) {
    ASSERT_EQ(allWindowActions.size(), 15u);
    EXPECT_EQ(rawValue(allWindowActions.front()), "leftHalf");
    EXPECT_EQ(rawValue(allWindowActions.back()), "restore");
    for (std::size_t i = 0; i < allWindowActions.size(); ++i) {
        const auto action = allWindowActions[i];
        EXPECT_EQ(static_cast<std::size_t>(action), i);
        EXPECT_EQ(windowActionFromRawValue(rawValue(action)), action);
    }
}

TEST(WindowAction, OnlyExactRawValuesMakeAnAction) {
    EXPECT_EQ(windowActionFromRawValue("almostMaximize"), WindowAction::almostMaximize);
    for (const char* wrong : {"LeftHalf", "left_half", "lefthalf", "", " leftHalf", "leftHalf "}) {
        EXPECT_FALSE(windowActionFromRawValue(wrong)) << wrong;
    }
}

TEST(WindowAction, TargetFramesInAVisibleFrame) {
    const Rect v{0, 25, 1440, 875};
    const std::vector<std::pair<WindowAction, Rect>> expected = {
        {WindowAction::leftHalf, {0, 25, 720, 875}},
        {WindowAction::rightHalf, {720, 25, 720, 875}},
        {WindowAction::topHalf, {0, 25, 1440, 437.5}},
        {WindowAction::bottomHalf, {0, 462.5, 1440, 437.5}},
        {WindowAction::topLeft, {0, 25, 720, 437.5}},
        {WindowAction::topRight, {720, 25, 720, 437.5}},
        {WindowAction::bottomLeft, {0, 462.5, 720, 437.5}},
        {WindowAction::bottomRight, {720, 462.5, 720, 437.5}},
        {WindowAction::leftThird, {0, 25, 480, 875}},
        {WindowAction::centerThird, {480, 25, 480, 875}},
        {WindowAction::rightThird, {960, 25, 480, 875}},
        {WindowAction::maximize, v},
        {WindowAction::almostMaximize, {20, 45, 1400, 835}},
    };
    for (const auto& [action, rect] : expected) {
        const auto frame = targetFrame(action, v);
        ASSERT_TRUE(frame) << rawValue(action);
        EXPECT_EQ(*frame, rect) << rawValue(action) << " gave " << describe(*frame);
    }
    EXPECT_FALSE(targetFrame(WindowAction::center, v));
    EXPECT_FALSE(targetFrame(WindowAction::restore, v));
}

TEST(WindowAction, ThirdsAreNotRounded) {
    const Rect v{10, 0, 1000, 500};
    EXPECT_DOUBLE_EQ(targetFrame(WindowAction::leftThird, v)->width, 1000.0 / 3);
    EXPECT_DOUBLE_EQ(targetFrame(WindowAction::centerThird, v)->x, 10 + 1000.0 / 3);
    EXPECT_DOUBLE_EQ(targetFrame(WindowAction::rightThird, v)->x, 10 + 2000.0 / 3);
    EXPECT_DOUBLE_EQ(targetFrame(WindowAction::almostMaximize, Rect{0, 0, 30, 30})->width, -10)
        << "the 20-point inset is fixed, even on a tiny area";
}

} // namespace
} // namespace vantile
