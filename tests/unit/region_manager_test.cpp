#include <gtest/gtest.h>

#include <fstream>

#include "core/regions/builtin_presets.h"
#include "core/regions/region_manager.h"
#include "fake/fake_desktop.h"
#include "support/temp_dir.h"

namespace vantile {
namespace {

const RegionPreset& halves() {
    return builtInPresets()[0];
}
const RegionPreset& thirds() {
    return builtInPresets()[1];
}
const RegionPreset& quarters() {
    return builtInPresets()[2];
}

std::vector<std::string> labels(const std::vector<Region>& regions) {
    std::vector<std::string> out;
    for (const auto& region : regions) {
        out.push_back(region.label.value_or("-"));
    }
    return out;
}

class RegionManagerTest : public ::testing::Test {
  protected:
    RegionManagerTest() {
        primary = desktop.addScreen({0, 0, 1920, 1080}, {0, 0, 1920, 1050});
        left = desktop.addScreen({-1440, 900.5, 1440, 900}, {-1440, 900.5, 1440, 900});
    }
    std::unique_ptr<RegionManager> start() {
        return std::make_unique<RegionManager>(desktop, desktop, RegionPersistence(config.path()));
    }

    test::FakeDesktop desktop;
    test::TempDir config;
    Screen primary, left;
};

TEST_F(RegionManagerTest, ScreenKeyTruncatesTheFullFrame) {
    EXPECT_EQ(RegionManager::screenKey(primary), "0_0_1920_1080");
    EXPECT_EQ(RegionManager::screenKey(left), "-1440_900_1440_900");
    Screen odd{9, {-0.7, 10.9, 800.99, 600.5}, {}, ""};
    EXPECT_EQ(RegionManager::screenKey(odd), "0_10_800_600");
}

TEST_F(RegionManagerTest, ApplyingAndClearingPresetsFollowsThemInMemoryAndOnDisk) {
    auto manager = start();
    manager->applyPreset(halves(), primary);
    const auto first = manager->regionsForScreen(primary);
    manager->applyPreset(halves(), primary);
    const auto second = manager->regionsForScreen(primary);
    ASSERT_EQ(labels(second), (std::vector<std::string>{"Left", "Right"}));
    EXPECT_NE(first[0].id, second[0].id) << "a fresh tree each time";
    EXPECT_EQ(manager->activePresetIDs().at("0_0_1920_1080"), halves().id);

    manager->applyPreset(thirds(), left);
    manager->clearLayout(primary);
    EXPECT_TRUE(manager->regionsForScreen(primary).empty());
    EXPECT_FALSE(manager->activePresetIDs().contains("0_0_1920_1080"));
    const auto stored = manager->persistence().loadActiveConfig();
    EXPECT_EQ(stored,
              (std::map<std::string, std::string>{{"-1440_900_1440_900", thirds().id.text()}}));
}

TEST_F(RegionManagerTest, SavedPresetBecomesEveryLaidOutScreensChoiceAndListsLast) {
    auto manager = start();
    manager->applyPreset(quarters(), primary);
    manager->saveCustomPreset("Desk");
    const auto presets = manager->allPresets();
    ASSERT_EQ(presets.size(), 5u);
    EXPECT_EQ(presets.back().name, "Desk");
    EXPECT_EQ(manager->activePresetIDs().at("0_0_1920_1080"), presets.back().id);
    EXPECT_FALSE(manager->activePresetIDs().contains("-1440_900_1440_900")) << "no layout there";

    // Applied to another screen, the preset's only layout is used there.
    manager->applyPreset(presets.back(), left);
    EXPECT_EQ(labels(manager->regionsForScreen(left)),
              (std::vector<std::string>{"Top Left", "Top Right", "Bottom Left", "Bottom Right"}));

    // A user preset without layouts keeps the screen's layout but becomes its choice.
    RegionPreset bare{Uuid::random(), "Bare", {}, 0, false};
    manager->applyPreset(bare, left);
    EXPECT_EQ(manager->regionsForScreen(left).size(), 4u);
    EXPECT_EQ(manager->activePresetIDs().at("-1440_900_1440_900"), bare.id);
}

TEST_F(RegionManagerTest, APresetSavedOnTwoScreensGivesEachItsOwnLayoutAfterARestart) {
    auto manager = start();
    manager->applyPreset(halves(), primary);
    manager->applyPreset(quarters(), left);
    manager->saveCustomPreset("Both");
    manager = start();
    EXPECT_EQ(labels(manager->regionsForScreen(primary)),
              (std::vector<std::string>{"Left", "Right"}));
    EXPECT_EQ(manager->regionsForScreen(left).size(), 4u);
}

TEST_F(RegionManagerTest, ScreenRegionsAreListedInReadingOrderNotTreeOrder) {
    auto manager = start();
    manager->applyPreset(halves(), primary);
    // The left half cut into rows: the tree holds top-left, bottom-left, right.
    BSPNode& tree = manager->activeLayouts().at("0_0_1920_1080").tree;
    tree =
        tree.splitRegion(manager->regionsForScreen(primary)[0].id, SplitDirection::horizontal, 0.5);
    std::vector<std::pair<double, double>> corners;
    for (const Region& region : manager->regionsForScreen(primary)) {
        corners.emplace_back(region.rect.x, region.rect.y);
    }
    EXPECT_EQ(corners, (std::vector<std::pair<double, double>>{{0, 0}, {0.5, 0}, {0, 0.5}}));
}

// The disk refusing a write is said: a preset that is not on disk becomes nobody's choice.
TEST_F(RegionManagerTest, WritesTheDiskRefusesAreReportedAndChooseNothing) {
    auto manager = start();
    ASSERT_TRUE(manager->applyPreset(halves(), primary));
    const auto presets = config.path() / "Presets";
    std::filesystem::remove_all(presets);
    std::ofstream(presets) << "a file where the folder was";
    EXPECT_FALSE(manager->saveCustomPreset("Lost"));
    EXPECT_EQ(manager->activePresetIDs().at("0_0_1920_1080"), halves().id);
    EXPECT_EQ(manager->persistence().loadActiveConfig().at("0_0_1920_1080"), halves().id.text());

    std::filesystem::remove(manager->persistence().activeConfigPath());
    std::filesystem::create_directory(manager->persistence().activeConfigPath());
    EXPECT_FALSE(manager->applyPreset(thirds(), left));
    EXPECT_FALSE(manager->clearLayout(primary));
}

TEST_F(RegionManagerTest, RememberedPresetsComeBackAtStartAndOnScreenChanges) {
    start()->applyPreset(thirds(), left);
    auto manager = start();
    const auto restored = manager->regionsForScreen(left);
    EXPECT_EQ(labels(restored), (std::vector<std::string>{"Left", "Center", "Right"}));

    // An unsaved edit is replaced by a fresh tree of the remembered preset.
    manager->activeLayouts().insert_or_assign("-1440_900_1440_900",
                                              RegionLayout{builtInTree(quarters())});
    desktop.changeScreens();
    const auto again = manager->regionsForScreen(left);
    EXPECT_EQ(labels(again), (std::vector<std::string>{"Left", "Center", "Right"}));
    EXPECT_NE(again[0].id, restored[0].id);

    // A screen that changes size gets a new key and no layout.
    desktop.screenList[1].frame.width = 1280;
    desktop.changeScreens();
    EXPECT_TRUE(manager->regionsForScreen(desktop.screenList[1]).empty());
}

TEST_F(RegionManagerTest, UnknownOrMalformedRememberedEntriesAreSkippedAndKept) {
    RegionPersistence(config.path()).setActivePreset(Uuid::random(), "0_0_1920_1080");
    std::ofstream(config.path() / "active_config.json")
        << R"({"presetPerScreen":{"0_0_1920_1080":")" << Uuid::random().text()
        << R"(","-1440_900_1440_900":"not a uuid"}})";
    auto manager = start();
    EXPECT_TRUE(manager->regionsForScreen(primary).empty()) << "no such preset";
    EXPECT_TRUE(manager->regionsForScreen(left).empty()) << "not a UUID";
    EXPECT_EQ(manager->persistence().loadActiveConfig().size(), 2u) << "both entries stay";
}

TEST_F(RegionManagerTest, ScreenChangesAfterTheManagerIsGoneAreIgnored) {
    start().reset();
    desktop.changeScreens(); // would touch a destroyed manager (ASan reports it)
    EXPECT_FALSE(desktop.screenChangeHandler);
}

TEST_F(RegionManagerTest, HitTestingFlipsScreenSpaceIntoFractions) {
    auto manager = start();
    EXPECT_FALSE(manager->regionAtScreenPoint({10, 10}, primary)) << "no layout";
    manager->applyPreset(quarters(), primary);
    // Visible frame (0, 0, 1920, 1050): y grows upward in screen space.
    EXPECT_EQ(manager->regionAtScreenPoint({100, 1050}, primary)->label, "Top Left") << "top edge";
    EXPECT_FALSE(manager->regionAtScreenPoint({100, 0}, primary)) << "bottom edge";
    EXPECT_EQ(manager->regionAtScreenPoint({1900, 10}, primary)->label, "Bottom Right");
}

TEST(ReadingOrder, RowsWithinAHundredthAreOneRowAndTheSortIsSafe) {
    auto region = [](double x, double y) {
        return Region{
            Uuid::random(), {x, y, 0.1, 0.1}, std::to_string(x) + "," + std::to_string(y)};
    };
    std::vector<Region> regions{region(0.5, 0.005), region(0.2, 0.5), region(0.1, 0.0),
                                region(0.0, 0.5)};
    sortInReadingOrder(regions);
    EXPECT_EQ(regions[0].rect.x, 0.1);
    EXPECT_EQ(regions[1].rect.x, 0.5);
    EXPECT_EQ(regions[2].rect.x, 0.0);
    EXPECT_EQ(regions[3].rect.x, 0.2);

    // Tops creeping down in steps under 0.01 make "same row" intransitive; the order is still the
    // one the pairwise rule gives for neighbours.
    std::vector<Region> creeping{region(0.9, 0.0), region(0.5, 0.006), region(0.1, 0.012)};
    sortInReadingOrder(creeping);
    EXPECT_EQ(creeping[0].rect.x, 0.5);
    EXPECT_EQ(creeping[1].rect.x, 0.9);
    EXPECT_EQ(creeping[2].rect.x, 0.1);
}

} // namespace
} // namespace vantile
