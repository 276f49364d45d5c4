// The built-in presets, the trees of regions and the region manager that keeps each screen's
// layout and chosen preset, in memory and on disk.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/regions/bsp_node.h"
#include "unit/desktop_test.h"

namespace vantile {
namespace {

using test::labels;
using test::preset;
using Labels = std::vector<std::string>;

BSPNode tree(std::size_t index) {
    return builtInTree(preset(index));
}

Region named(const BSPNode& tree, const std::string& label) {
    const auto all = tree.allRegions();
    return *std::find_if(all.begin(), all.end(), [&](const Region& r) { return r.label == label; });
}

// Each region's label and rect, in order.
std::string regionsOf(const std::vector<Region>& regions) {
    std::string out;
    for (const auto& r : regions) {
        out += r.label.value_or("-") + " " + test::str(r.rect) + "; ";
    }
    return out;
}

std::string regionsOf(const BSPNode& tree) {
    return regionsOf(tree.allRegions());
}

TEST(BuiltInPresets, FixedIdsAndLiteralTreesFreshEachTimeAndUnknownIdsGiveOneLeaf) {
    ASSERT_EQ(builtInPresets().size(), 4u);
    for (const auto& p : builtInPresets()) {
        EXPECT_TRUE(p.isBuiltIn && p.layouts.empty()) << p.name;
        EXPECT_EQ(p.id.text(), "00000000-0000-0000-0000-00000000000" +
                                   std::to_string(&p - &builtInPresets()[0] + 1));
    }
    EXPECT_EQ(
        regionsOf(tree(0)) + regionsOf(tree(1)),
        "Left 0,0 0.5x1; Right 0.5,0 0.5x1; Left 0,0 0.333333x1; Center 0.333333,0 0.333333x1; "
        "Right 0.666667,0 0.333333x1; ");
    EXPECT_EQ(regionsOf(tree(2)) + regionsOf(tree(3)),
              "Top Left 0,0 0.5x0.5; Top Right 0.5,0 0.5x0.5; Bottom Left 0,0.5 0.5x0.5; "
              "Bottom Right 0.5,0.5 0.5x0.5; Editor 0,0 0.6x1; Terminal 0.6,0 0.4x1; ");
    EXPECT_NE(named(tree(0), "Left").id, named(tree(0), "Left").id);
    EXPECT_EQ(regionsOf(builtInTree(RegionPreset{Uuid::random(), "Mine", {}, 0, false})),
              "- 0,0 1x1; ");
}

TEST(BSPNode, RegionAtUsesHalfOpenAreasOfTheFractions) {
    const BSPNode halves = tree(0);
    EXPECT_EQ(halves.regionAt(0.5, 0.3, unitRect)->label, "Right");
    EXPECT_EQ(halves.regionAt(0.4999, 0.3, unitRect)->label, "Left");
    EXPECT_FALSE(halves.regionAt(1.0, 0.3, unitRect) || halves.regionAt(0.2, 1.0, unitRect));
    const BSPNode leaf = BSPNode::leaf(Region{Uuid::random(), unitRect, std::nullopt});
    EXPECT_TRUE(leaf.regionAt(0, 0, unitRect));
    EXPECT_FALSE(leaf.regionAt(1, 0.5, unitRect) || leaf.regionAt(-0.1, 0.5, unitRect));
}

TEST(BSPNode, SplitAndMergeMakeFreshUnlabelledRegionsAndUnknownIdsChangeNothing) {
    const BSPNode leaf = BSPNode::leaf(Region{Uuid::random(), unitRect, "Whole"});
    const BSPNode split = leaf.splitRegion(leaf.region().id, SplitDirection::horizontal, 0.5);
    EXPECT_EQ(regionsOf(split), "- 0,0 1x0.5; - 0,0.5 1x0.5; ");
    const auto regions = split.allRegions();
    EXPECT_TRUE(regions[0].id != leaf.region().id && regions[1].id != leaf.region().id &&
                regions[0].id != regions[1].id);
    const BSPNode thirds = tree(1), halves = tree(0);
    EXPECT_EQ(thirds.splitRegion(Uuid::random(), SplitDirection::vertical, 0.3), thirds);
    EXPECT_EQ(regionsOf(halves.mergeRegion(named(halves, "Left").id)), "- 0,0 1x1; ");
    EXPECT_EQ(thirds.mergeRegion(named(thirds, "Left").id), thirds) << "its sibling is a split";
    EXPECT_EQ(regionsOf(thirds.mergeRegion(named(thirds, "Center").id)),
              "Left 0,0 0.333333x1; - 0.333333,0 0.666667x1; ");
}

TEST(BSPNode, UpdateSplitFractionFindsTheSplitByItsAreaAndCopiesStayApart) {
    BSPNode outer = tree(2), inner = tree(2), none = tree(2);
    const BSPNode copy = outer, untouched = none;
    const Uuid topLeft = named(outer, "Top Left").id;
    EXPECT_TRUE(outer.updateSplitFraction(topLeft, 0.7, unitRect)) << "the outer split";
    EXPECT_EQ(std::pair(outer.fraction(), outer.first().fraction()), std::pair(0.7, 0.5));
    EXPECT_EQ(copy.fraction(), 0.5) << "a copy never sees later changes";
    // The upper split, stored unclamped; rects change only when recalculated.
    EXPECT_TRUE(inner.updateSplitFraction(named(inner, "Top Left").id, 0.95, {0, 0, 1, 0.5}));
    EXPECT_EQ(std::tuple(inner.fraction(), inner.first().fraction(), inner.second().fraction()),
              std::tuple(0.5, 0.95, 0.5));
    EXPECT_EQ(regionsOf(inner), regionsOf(untouched));
    EXPECT_FALSE(none.updateSplitFraction(named(none, "Bottom Right").id, 0.2, unitRect))
        << "that region lies in the outer split's second subtree";
    EXPECT_EQ(none, untouched);
    // Once the outer split moved, the upper split's area is (0, 0, 1, 0.7).
    EXPECT_FALSE(outer.updateSplitFraction(topLeft, 0.3, {0, 0, 1, 0.5}));
    EXPECT_TRUE(outer.updateSplitFraction(topLeft, 0.3, {0, 0, 1, 0.7}));
    outer.recalculateRects(unitRect);
    EXPECT_EQ(regionsOf(outer),
              "Top Left 0,0 0.3x0.7; Top Right 0.3,0 0.7x0.7; Bottom Left 0,0.7 0.5x0.3; "
              "Bottom Right 0.5,0.7 0.5x0.3; ");
}

TEST(ReadingOrder, RowsWithinAHundredthAreOneRowAndTheSortIsSafe) {
    const auto sorted = [](std::vector<std::tuple<double, double, const char*>> corners) {
        std::vector<Region> regions;
        for (const auto& [x, y, name] : corners) {
            regions.push_back({Uuid::random(), {x, y, 0.1, 0.1}, name});
        }
        sortInReadingOrder(regions);
        return labels(regions);
    };
    EXPECT_EQ(sorted({{0.5, 0.005, "b"}, {0.2, 0.5, "d"}, {0.1, 0.0, "a"}, {0.0, 0.5, "c"}}),
              (Labels{"a", "b", "c", "d"}));
    // Tops creeping down in steps under 0.01 make "same row" intransitive; the order is still the
    // one the pairwise rule gives for neighbours.
    EXPECT_EQ(sorted({{0.9, 0.0, "b"}, {0.5, 0.006, "a"}, {0.1, 0.012, "c"}}),
              (Labels{"a", "b", "c"}));
}

class RegionManagerTest : public test::DesktopTest {
  protected:
    std::unique_ptr<RegionManager> restart() {
        return std::make_unique<RegionManager>(desktop, desktop, RegionPersistence(config.path()));
    }
    Screen primary = desktop.addScreen({0, 0, 1920, 1080}, {0, 0, 1920, 1050});
    Screen left = desktop.addScreen({-1440, 900.5, 1440, 900}, {-1440, 900.5, 1440, 900});
};

TEST_F(RegionManagerTest, ApplyingClearingAndSavingFollowThePresetsInMemoryAndOnDisk) {
    EXPECT_EQ(RegionManager::screenKey(left), "-1440_900_1440_900");
    EXPECT_EQ(RegionManager::screenKey(Screen{9, {-0.7, 10.9, 800.99, 600.5}, {}, ""}),
              "0_10_800_600");
    regions.applyPreset(preset(0), primary);
    const auto first = regions.regionsForScreen(primary);
    regions.applyPreset(preset(0), primary);
    ASSERT_EQ(labels(regions.regionsForScreen(primary)), (Labels{"Left", "Right"}));
    EXPECT_NE(first[0].id, regions.regionsForScreen(primary)[0].id) << "a fresh tree each time";
    regions.applyPreset(preset(1), left);
    regions.clearLayout(primary);
    EXPECT_TRUE(regions.regionsForScreen(primary).empty());
    const std::map<std::string, std::string> thirdsOnLeft{
        {"-1440_900_1440_900", preset(1).id.text()}};
    EXPECT_EQ(chosen(), thirdsOnLeft);
    EXPECT_EQ(regions.persistence().loadActiveConfig(), thirdsOnLeft);

    // Saved, a preset becomes the choice of every screen with a layout, and lists last.
    regions.clearLayout(left);
    regions.applyPreset(preset(2), primary);
    EXPECT_TRUE(regions.saveCustomPreset("Desk"));
    const RegionPreset desk = regions.allPresets().back();
    EXPECT_EQ(regions.allPresets().size(), 5u);
    EXPECT_EQ(desk.name, "Desk");
    EXPECT_EQ(chosen(), (std::map<std::string, std::string>{{"0_0_1920_1080", desk.id.text()}}));
    // Applied to another screen, the preset's only layout is used there.
    regions.applyPreset(desk, left);
    EXPECT_EQ(labels(regions.regionsForScreen(left)), labels(tree(2).allRegions()));
    // A user preset without layouts keeps the screen's layout but becomes its choice.
    const RegionPreset bare{Uuid::random(), "Bare", {}, 0, false};
    regions.applyPreset(bare, left);
    EXPECT_EQ(regions.regionsForScreen(left).size(), 4u);
    EXPECT_EQ(regions.activePresetIDs().at("-1440_900_1440_900"), bare.id);
}

TEST_F(RegionManagerTest, RememberedPresetsComeBackAtStartAndOnScreenChanges) {
    regions.applyPreset(preset(0), primary);
    regions.applyPreset(preset(2), left);
    regions.saveCustomPreset("Both");
    regions.applyPreset(preset(1), left);
    auto manager = restart();
    EXPECT_EQ(labels(manager->regionsForScreen(primary)), (Labels{"Left", "Right"}))
        << "a preset saved on two screens gives each its own layout";
    const auto restored = manager->regionsForScreen(left);
    EXPECT_EQ(labels(restored), (Labels{"Left", "Center", "Right"}));

    // An unsaved edit is replaced by a fresh tree of the remembered preset.
    manager->activeLayouts().insert_or_assign("-1440_900_1440_900", RegionLayout{tree(2)});
    desktop.screenChangeHandler();
    const auto again = manager->regionsForScreen(left);
    EXPECT_EQ(labels(again), (Labels{"Left", "Center", "Right"}));
    EXPECT_NE(again[0].id, restored[0].id);
    // A screen that changes size gets a new key and no layout.
    desktop.screenList[1].frame.width = 1280;
    desktop.screenChangeHandler();
    EXPECT_TRUE(manager->regionsForScreen(desktop.screenList[1]).empty());
    manager.reset();
    EXPECT_FALSE(desktop.screenChangeHandler) << "nothing can reach the destroyed manager";
}

TEST_F(RegionManagerTest, UnknownOrMalformedRememberedEntriesAreSkippedAndKept) {
    std::ofstream(config.path() / "active_config.json")
        << R"({"presetPerScreen":{"0_0_1920_1080":")" << Uuid::random().text()
        << R"(","-1440_900_1440_900":"not a uuid"}})";
    auto manager = restart();
    EXPECT_TRUE(manager->regionsForScreen(primary).empty()) << "no such preset";
    EXPECT_TRUE(manager->regionsForScreen(left).empty()) << "not a UUID";
    EXPECT_EQ(manager->persistence().loadActiveConfig().size(), 2u) << "both entries stay";
}

// The disk refusing a write is said: a preset that is not on disk becomes nobody's choice.
TEST_F(RegionManagerTest, WritesTheDiskRefusesAreReportedAndChooseNothing) {
    ASSERT_TRUE(regions.applyPreset(preset(0), primary));
    const auto presets = config.path() / "Presets";
    std::filesystem::remove_all(presets);
    std::ofstream(presets) << "a file where the folder was";
    EXPECT_FALSE(regions.saveCustomPreset("Lost"));
    EXPECT_EQ(regions.activePresetIDs().at("0_0_1920_1080"), preset(0).id);
    EXPECT_EQ(regions.persistence().loadActiveConfig().at("0_0_1920_1080"), preset(0).id.text());
    std::filesystem::remove(regions.persistence().activeConfigPath());
    std::filesystem::create_directory(regions.persistence().activeConfigPath());
    EXPECT_FALSE(regions.applyPreset(preset(1), left));
    EXPECT_FALSE(regions.clearLayout(primary));
}

TEST_F(RegionManagerTest, RegionsAreListedInReadingOrderAndHitInScreenSpace) {
    EXPECT_FALSE(regions.regionAtScreenPoint({10, 10}, primary)) << "no layout";
    regions.applyPreset(preset(0), primary);
    // The left half cut into rows: the tree holds top-left, bottom-left, right.
    BSPNode& layout = regions.activeLayouts().at("0_0_1920_1080").tree;
    layout = layout.splitRegion(regions.regionsForScreen(primary)[0].id, SplitDirection::horizontal,
                                0.5);
    EXPECT_EQ(regionsOf(regions.regionsForScreen(primary)),
              "- 0,0 0.5x0.5; Right 0.5,0 0.5x1; - 0,0.5 0.5x0.5; ");
    // Visible frame (0, 0, 1920, 1050): y grows upward in screen space.
    regions.applyPreset(preset(2), primary);
    EXPECT_EQ(regions.regionAtScreenPoint({100, 1050}, primary)->label, "Top Left");
    EXPECT_FALSE(regions.regionAtScreenPoint({100, 0}, primary)) << "bottom edge";
    EXPECT_EQ(regions.regionAtScreenPoint({1900, 10}, primary)->label, "Bottom Right");
}

} // namespace
} // namespace vantile
