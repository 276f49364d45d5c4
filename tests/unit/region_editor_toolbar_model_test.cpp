// The toolbar's preset menu, the name a save stores under and where the panel sits, without Qt.

#include <gtest/gtest.h>

#include "core/editor/region_editor_toolbar_model.h"
#include "core/regions/builtin_presets.h"
#include "fake/fake_desktop.h"
#include "support/temp_dir.h"

namespace vantile {
namespace {

class RegionEditorToolbarModelTest : public ::testing::Test {
  protected:
    RegionEditorToolbarModelTest() {
        first = desktop.addScreen({0, 0, 1920, 1080}, {0, 0, 1920, 1050});
        second = desktop.addScreen({1920, 0, 1280, 1024}, {1920, 0, 1280, 1024});
    }

    RegionEditorToolbarModel model() { return RegionEditorToolbarModel(regions, desktop); }

    test::FakeDesktop desktop;
    test::TempDir config;
    RegionManager regions{desktop, desktop, RegionPersistence(config.path())};
    Screen first, second;
};

TEST_F(RegionEditorToolbarModelTest, MenuListsThePlaceholderThenEveryPresetInOrder) {
    regions.applyPreset(builtInPresets()[2], first);
    regions.saveCustomPreset("Desk");
    const RegionEditorToolbarModel menu = model();
    EXPECT_EQ(menu.titles(), (std::vector<std::string>{"Presets...", "Halves", "Thirds", "Quarters",
                                                       "Coding (60/40)", "Desk"}));
    ASSERT_EQ(menu.presets().size(), 5u);
    EXPECT_EQ(menu.presets()[4].name, "Desk");
    EXPECT_FALSE(menu.presets()[4].isBuiltIn);
}

TEST_F(RegionEditorToolbarModelTest, PreselectsTheFirstScreensActivePreset) {
    regions.applyPreset(builtInPresets()[1], first);
    EXPECT_EQ(model().preselectedIndex(), 2) << "Thirds, the second preset";

    regions.applyPreset(builtInPresets()[0], second);
    EXPECT_EQ(model().preselectedIndex(), 2) << "other screens do not count";

    regions.saveCustomPreset("Both");
    EXPECT_EQ(model().preselectedIndex(), 5) << "the saved preset, listed last";
}

TEST_F(RegionEditorToolbarModelTest, PreselectsThePlaceholderWithoutAKnownActivePreset) {
    EXPECT_EQ(model().preselectedIndex(), 0) << "no active preset at all";

    regions.applyPreset(builtInPresets()[3], second);
    EXPECT_EQ(model().preselectedIndex(), 0) << "only the second screen has one";

    const RegionPreset unlisted{Uuid::random(), "Gone", {}, 0, false};
    regions.applyPreset(unlisted, first);
    ASSERT_EQ(regions.activePresetIDs().at(RegionManager::screenKey(first)), unlisted.id);
    EXPECT_EQ(model().preselectedIndex(), 0) << "the first screen's id is in no preset";

    desktop.screenList.clear();
    regions.applyPreset(builtInPresets()[1], first);
    EXPECT_EQ(model().preselectedIndex(), 0) << "no screens";
}

TEST_F(RegionEditorToolbarModelTest, MenuItemsMapToPresetsPastThePlaceholder) {
    const RegionEditorToolbarModel menu = model();
    ASSERT_NE(menu.presetForItem(1), nullptr);
    EXPECT_EQ(menu.presetForItem(1)->id, builtInPresets()[0].id);
    ASSERT_NE(menu.presetForItem(4), nullptr);
    EXPECT_EQ(menu.presetForItem(4)->name, "Coding (60/40)");
    EXPECT_EQ(menu.presetForItem(0), nullptr) << "placeholder";
    EXPECT_EQ(menu.presetForItem(-1), nullptr) << "no selection";
    EXPECT_EQ(menu.presetForItem(5), nullptr) << "past the end";
    EXPECT_EQ(RegionEditorToolbarModel().presetForItem(1), nullptr) << "empty menu";
}

TEST(RegionEditorToolbarSaveName, EmptyBecomesUntitledAndAnythingElseIsKeptAsTyped) {
    EXPECT_EQ(presetNameToSave(""), "Untitled");
    EXPECT_EQ(presetNameToSave("Work"), "Work");
    EXPECT_EQ(presetNameToSave("   "), "   ");
    EXPECT_EQ(presetNameToSave(" Work "), " Work ");
}

} // namespace
} // namespace vantile
