#include <gtest/gtest.h>

#include "core/regions/bsp_node.h"
#include "core/regions/builtin_presets.h"

namespace vantile {
namespace {

const RegionPreset& preset(std::size_t index) {
    return builtInPresets().at(index);
}
BSPNode halves() {
    return builtInTree(preset(0));
}
BSPNode thirds() {
    return builtInTree(preset(1));
}
BSPNode quarters() {
    return builtInTree(preset(2));
}

Region named(const BSPNode& tree, const std::string& label) {
    for (const auto& region : tree.allRegions()) {
        if (region.label == label) {
            return region;
        }
    }
    throw std::runtime_error("no region " + label);
}

std::vector<std::string> labels(const BSPNode& tree) {
    std::vector<std::string> out;
    for (const auto& region : tree.allRegions()) {
        out.push_back(region.label.value_or("-"));
    }
    return out;
}

TEST(BuiltInPresets, FixedIdsNamesAndLiteralTrees) {
    const auto& presets = builtInPresets();
    ASSERT_EQ(presets.size(), 4u);
    EXPECT_EQ(presets[0].id.text(), "00000000-0000-0000-0000-000000000001");
    EXPECT_EQ(presets[3].name, "Coding (60/40)");
    for (const auto& p : presets) {
        EXPECT_TRUE(p.isBuiltIn && p.layouts.empty()) << p.name;
    }
    EXPECT_EQ(labels(quarters()),
              (std::vector<std::string>{"Top Left", "Top Right", "Bottom Left", "Bottom Right"}));
    EXPECT_EQ(named(thirds(), "Right").rect, (FractionalRect{2.0 / 3, 0, 1.0 / 3, 1}));
    EXPECT_EQ(named(builtInTree(preset(3)), "Terminal").rect, (FractionalRect{0.6, 0, 0.4, 1}));
}

TEST(BuiltInPresets, EveryTreeIsNewAndUnknownIdsGiveOneLeaf) {
    EXPECT_NE(named(halves(), "Left").id, named(halves(), "Left").id);
    RegionPreset user{Uuid::random(), "Mine", {}, 0, false};
    const BSPNode single = builtInTree(user);
    ASSERT_TRUE(single.isLeaf());
    EXPECT_EQ(single.region().rect, unitRect);
    EXPECT_FALSE(single.region().label);
}

TEST(BSPNode, RegionAtUsesHalfOpenAreasOfTheFractions) {
    const BSPNode tree = halves();
    EXPECT_EQ(tree.regionAt(0.5, 0.3, unitRect)->label, "Right");
    EXPECT_EQ(tree.regionAt(0.4999, 0.3, unitRect)->label, "Left");
    EXPECT_FALSE(tree.regionAt(1.0, 0.3, unitRect));
    EXPECT_FALSE(tree.regionAt(0.2, 1.0, unitRect));
    const BSPNode leaf = BSPNode::leaf(Region{Uuid::random(), unitRect, std::nullopt});
    EXPECT_TRUE(leaf.regionAt(0, 0, unitRect));
    EXPECT_FALSE(leaf.regionAt(1, 0.5, unitRect));
    EXPECT_FALSE(leaf.regionAt(-0.1, 0.5, unitRect));
}

TEST(BSPNode, SplitReplacesTheLeafWithTwoFreshRegions) {
    const BSPNode leaf = BSPNode::leaf(Region{Uuid::random(), unitRect, "Whole"});
    const BSPNode split = leaf.splitRegion(leaf.region().id, SplitDirection::horizontal, 0.5);
    ASSERT_FALSE(split.isLeaf());
    const auto regions = split.allRegions();
    ASSERT_EQ(regions.size(), 2u);
    EXPECT_EQ(regions[0].rect, (FractionalRect{0, 0, 1, 0.5}));
    EXPECT_EQ(regions[1].rect, (FractionalRect{0, 0.5, 1, 0.5}));
    for (const auto& region : regions) {
        EXPECT_NE(region.id, leaf.region().id);
        EXPECT_FALSE(region.label);
    }
    EXPECT_NE(regions[0].id, regions[1].id);
    EXPECT_EQ(
        halves().splitRegion(Uuid::random(), SplitDirection::vertical, 0.5).allRegions().size(),
        2u);
    const BSPNode tree = thirds();
    EXPECT_EQ(tree.splitRegion(Uuid::random(), SplitDirection::vertical, 0.3), tree);
}

TEST(BSPNode, MergeJoinsOnlyTwoLeafSiblings) {
    const BSPNode h = halves();
    const BSPNode merged = h.mergeRegion(named(h, "Left").id);
    ASSERT_TRUE(merged.isLeaf());
    EXPECT_EQ(merged.region().rect, unitRect);
    EXPECT_FALSE(merged.region().label);

    const BSPNode t = thirds();
    EXPECT_EQ(t.mergeRegion(named(t, "Left").id), t) << "its sibling is a split";
    const BSPNode two = t.mergeRegion(named(t, "Center").id);
    const auto regions = two.allRegions();
    ASSERT_EQ(regions.size(), 2u);
    EXPECT_EQ(regions[0].label, "Left");
    EXPECT_EQ(regions[1].rect, (FractionalRect{1.0 / 3, 0, 1 - 1.0 / 3, 1}));
}

TEST(BSPNode, UpdateSplitFractionFindsTheSplitByItsArea) {
    BSPNode outer = quarters();
    const Uuid topLeft = named(outer, "Top Left").id;
    EXPECT_TRUE(outer.updateSplitFraction(topLeft, 0.7, unitRect));
    EXPECT_EQ(outer.fraction(), 0.7) << "the outer split";
    EXPECT_EQ(outer.first().fraction(), 0.5);

    BSPNode inner = quarters();
    EXPECT_TRUE(inner.updateSplitFraction(named(inner, "Top Left").id, 0.95, {0, 0, 1, 0.5}));
    EXPECT_EQ(inner.first().fraction(), 0.95) << "the upper split, stored unclamped";
    EXPECT_EQ(inner.fraction(), 0.5);
    EXPECT_EQ(inner.second().fraction(), 0.5);
    EXPECT_EQ(named(inner, "Top Left").rect, (FractionalRect{0, 0, 0.5, 0.5}))
        << "rects change only when recalculated";

    BSPNode none = quarters();
    const BSPNode untouched = none;
    EXPECT_FALSE(none.updateSplitFraction(named(none, "Bottom Right").id, 0.2, unitRect))
        << "that region lies in the outer split's second subtree";
    EXPECT_EQ(none, untouched);

    // Once the outer split moved, the upper split's area is (0, 0, 1, 0.7).
    EXPECT_FALSE(outer.updateSplitFraction(topLeft, 0.3, {0, 0, 1, 0.5}));
    EXPECT_TRUE(outer.updateSplitFraction(topLeft, 0.3, {0, 0, 1, 0.7}));
    outer.recalculateRects(unitRect);
    EXPECT_EQ(named(outer, "Top Left").rect, (FractionalRect{0, 0, 0.3, 0.7}));
    EXPECT_EQ(named(outer, "Bottom Right").rect, (FractionalRect{0.5, 0.7, 0.5, 1 - 0.7}));
}

TEST(BSPNode, RecalculateGivesTheAreasOfTheFractions) {
    BSPNode t = thirds();
    t.recalculateRects(unitRect);
    EXPECT_EQ(named(t, "Center").rect,
              (FractionalRect{0.3333333333333333, 0, 0.33333333333333337, 1}));
    EXPECT_EQ(named(t, "Right").rect,
              (FractionalRect{0.6666666666666667, 0, 0.33333333333333337, 1}));
    EXPECT_EQ(named(t, "Center").label, "Center") << "ids and labels stay";
}

TEST(BSPNode, CopiesNeverSeeLaterChanges) {
    BSPNode q = quarters();
    const BSPNode before = q;
    const auto regionsBefore = before.allRegions();
    q.updateSplitFraction(named(q, "Top Left").id, 0.8, {0, 0, 1, 0.5});
    q.recalculateRects(unitRect);
    EXPECT_EQ(before.first().fraction(), 0.5);
    EXPECT_EQ(before.allRegions(), regionsBefore);
    EXPECT_FALSE(before == q);
    const BSPNode split = before.splitRegion(regionsBefore[0].id, SplitDirection::vertical, 0.5);
    EXPECT_EQ(before.allRegions(), regionsBefore);
    EXPECT_EQ(split.allRegions().size(), 5u);
}

TEST(BSPNode, UnionRectSpansBothTrees) {
    const BSPNode q = quarters();
    EXPECT_EQ(BSPNode::unionRect(q.first(), q.second()), unitRect);
    EXPECT_EQ(BSPNode::unionRect(q.first().first(), q.second().first()),
              (FractionalRect{0, 0, 0.5, 1}));
}

} // namespace
} // namespace vantile
