// The editor's geometry: where regions, boundaries and buttons lie in the view for a tree, and
// where the visible frame lies in the view for each way the view can be placed.

#include <gtest/gtest.h>

#include "core/editor/region_editor_layout.h"
#include "core/regions/bsp_node.h"

namespace vantile {
namespace {

// The visible frame of a 1440 × 900 screen below a 25-point bar at its top.
const Rect kFrame{0, 25, 1440, 875};

BSPNode leafTree(std::optional<std::string> label = std::nullopt) {
    return BSPNode::leaf(Region{Uuid::random(), {}, std::move(label)});
}

BSPNode splitTree(SplitDirection d, double f, BSPNode first, BSPNode second) {
    return BSPNode::split(d, f, std::move(first), std::move(second));
}

RegionEditorLayout layoutOf(BSPNode tree, const Rect& frame = kFrame) {
    RegionEditorLayout layout;
    rebuildLayout(tree, frame, layout);
    return layout;
}

TEST(RegionEditorFrame, ScreenOriginOrBoundsOriginOrBounds) {
    const Rect visible{1440, 0, 1920, 1050};
    const Rect bounds{5, 7, 1920, 1080};
    EXPECT_EQ(editorFrame(visible, {bounds, true, Point{1440, -30}}), (Rect{0, 30, 1920, 1050}));
    // A window on no screen: the view's own origin stands in for the screen's.
    EXPECT_EQ(editorFrame(visible, {bounds, true, std::nullopt}), (Rect{1435, -7, 1920, 1050}));
    EXPECT_EQ(editorFrame(visible, {bounds, false, Point{1440, 0}}), bounds);
}

TEST(RegionEditorLayout, SingleLeafIsOneRegionWithSplitButtonsOnly) {
    BSPNode tree = leafTree();
    const Uuid id = tree.region().id;
    RegionEditorLayout layout;
    rebuildLayout(tree, kFrame, layout);
    EXPECT_EQ(tree.region().rect, unitRect);
    ASSERT_EQ(layout.regionRects.size(), 1u);
    EXPECT_EQ(layout.regionRects[0].rect, kFrame);
    EXPECT_TRUE(layout.boundaryLines.empty());
    EXPECT_TRUE(layout.mergeButtonRects.empty());
    ASSERT_EQ(layout.splitButtonRects.size(), 2u);
    // Centre (720, 462.5): the pair hangs 14 to 42 points below it.
    EXPECT_EQ(layout.splitButtonRects[0].rect, (Rect{688, 420.5, 28, 28}));
    EXPECT_EQ(layout.splitButtonRects[0].direction, SplitDirection::horizontal);
    EXPECT_EQ(layout.splitButtonRects[1].rect, (Rect{724, 420.5, 28, 28}));
    EXPECT_EQ(layout.splitButtonRects[1].direction, SplitDirection::vertical);
    EXPECT_EQ(layout.splitButtonRects[0].regionID, id);
    EXPECT_EQ(layout.splitButtonRects[1].regionID, id);
}

TEST(RegionEditorLayout, SplitButtonsOnlyWhenStrictlyLargerThan100By80) {
    EXPECT_EQ(layoutOf(leafTree(), {0, 0, 100, 300}).splitButtonRects.size(), 0u);
    EXPECT_EQ(layoutOf(leafTree(), {0, 0, 300, 80}).splitButtonRects.size(), 0u);
    EXPECT_EQ(layoutOf(leafTree(), {0, 0, 100.5, 80.5}).splitButtonRects.size(), 2u);
    // A small frame still lists its region.
    EXPECT_EQ(layoutOf(leafTree(), {0, 0, 100, 80}).regionRects.size(), 1u);
}

TEST(RegionEditorLayout, VerticalHalfSplit) {
    const BSPNode left = leafTree(), right = leafTree();
    const auto layout = layoutOf(splitTree(SplitDirection::vertical, 0.5, left, right));
    ASSERT_EQ(layout.boundaryLines.size(), 1u);
    const BoundaryInfo& b = layout.boundaryLines[0];
    EXPECT_EQ(b.direction, SplitDirection::vertical);
    EXPECT_EQ(b.fraction, 0.5);
    EXPECT_EQ(b.rect, (Rect{718, 25, 4, 875}));
    EXPECT_EQ(b.hitTestRect, (Rect{708, 25, 24, 875}));
    EXPECT_EQ(b.regionIDNear, left.region().id);
    EXPECT_EQ(b.parentBounds, unitRect);
    ASSERT_EQ(layout.mergeButtonRects.size(), 1u);
    EXPECT_EQ(layout.mergeButtonRects[0].rect, (Rect{710, 452.5, 20, 20}));
    EXPECT_EQ(layout.mergeButtonRects[0].boundaryIndex, 0u);
    ASSERT_EQ(layout.regionRects.size(), 2u);
    EXPECT_EQ(layout.regionRects[0].rect, (Rect{0, 25, 720, 875}));
    EXPECT_EQ(layout.regionRects[1].rect, (Rect{720, 25, 720, 875}));
    EXPECT_EQ(layout.regionRects[1].region.id, right.region().id);
    EXPECT_EQ(layout.splitButtonRects.size(), 4u);
}

TEST(RegionEditorLayout, HorizontalSplitPutsTheFirstChildOnTop) {
    const auto layout =
        layoutOf(splitTree(SplitDirection::horizontal, 0.6, leafTree(), leafTree()));
    ASSERT_EQ(layout.boundaryLines.size(), 1u);
    EXPECT_EQ(layout.boundaryLines[0].rect, (Rect{0, 373, 1440, 4}));
    EXPECT_EQ(layout.boundaryLines[0].hitTestRect, (Rect{0, 363, 1440, 24}));
    ASSERT_EQ(layout.regionRects.size(), 2u);
    const Rect upper = layout.regionRects[0].rect;
    EXPECT_DOUBLE_EQ(upper.minY(), 375);
    EXPECT_DOUBLE_EQ(upper.maxY(), 900);
    EXPECT_DOUBLE_EQ(layout.regionRects[1].rect.maxY(), 375);
}

TEST(RegionEditorLayout, NestedSplitsInPreOrderWithMergeButtonOnlyBetweenLeaves) {
    const BSPNode a = leafTree("A"), b = leafTree("B"), c = leafTree("C");
    BSPNode tree = splitTree(SplitDirection::vertical, 0.5,
                             splitTree(SplitDirection::horizontal, 0.5, a, b), c);
    RegionEditorLayout layout;
    rebuildLayout(tree, kFrame, layout);
    ASSERT_EQ(layout.boundaryLines.size(), 2u);
    EXPECT_EQ(layout.boundaryLines[0].direction, SplitDirection::vertical);
    EXPECT_EQ(layout.boundaryLines[1].direction, SplitDirection::horizontal);
    EXPECT_EQ(layout.boundaryLines[0].regionIDNear, a.region().id);
    EXPECT_EQ(layout.boundaryLines[1].regionIDNear, a.region().id);
    EXPECT_EQ(layout.boundaryLines[1].parentBounds, (FractionalRect{0, 0, 0.5, 1}));
    // The inner line spans only the left half, halfway up.
    EXPECT_EQ(layout.boundaryLines[1].rect, (Rect{0, 460.5, 720, 4}));
    ASSERT_EQ(layout.mergeButtonRects.size(), 1u);
    EXPECT_EQ(layout.mergeButtonRects[0].boundaryIndex, 1u);
    ASSERT_EQ(layout.regionRects.size(), 3u);
    EXPECT_EQ(layout.regionRects[0].region.label, "A");
    EXPECT_EQ(layout.regionRects[1].region.label, "B");
    EXPECT_EQ(layout.regionRects[2].region.label, "C");
    // The tree's own leaves were brought in line with the fractions.
    EXPECT_EQ(tree.allRegions()[1].rect, (FractionalRect{0, 0.5, 0.5, 0.5}));
}

TEST(RegionEditorLayout, StaleLeafRectsAreRecomputedAndListsReplaced) {
    // Leaf rects that disagree with the fractions, as a hand-edited file might hold.
    BSPNode tree = splitTree(SplitDirection::vertical, 0.25,
                             BSPNode::leaf(Region{Uuid::random(), {0, 0, 0.9, 0.9}, {}}),
                             BSPNode::leaf(Region{Uuid::random(), {0.3, 0.3, 0.1, 0.1}, {}}));
    RegionEditorLayout layout =
        layoutOf(splitTree(SplitDirection::horizontal, 0.5, leafTree(),
                           splitTree(SplitDirection::vertical, 0.5, leafTree(), leafTree())));
    rebuildLayout(tree, {0, 0, 1000, 500}, layout);
    ASSERT_EQ(layout.regionRects.size(), 2u);
    EXPECT_EQ(layout.regionRects[0].rect, (Rect{0, 0, 250, 500}));
    EXPECT_EQ(layout.regionRects[1].rect, (Rect{250, 0, 750, 500}));
    EXPECT_EQ(layout.regionRects[1].region.rect, (FractionalRect{0.25, 0, 0.75, 1}));
    EXPECT_EQ(layout.boundaryLines.size(), 1u);
    EXPECT_EQ(layout.mergeButtonRects.size(), 1u);
    EXPECT_EQ(layout.splitButtonRects.size(), 4u);
}

} // namespace
} // namespace vantile
