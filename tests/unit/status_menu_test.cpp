#include <gtest/gtest.h>

#include "app/app_delegate.h"
#include "core/regions/builtin_presets.h"
#include "fake/fake_app_environment.h"
#include "support/temp_dir.h"

namespace vantile {
namespace {

std::vector<std::string> titles(const std::vector<MenuItem>& items) {
    std::vector<std::string> out;
    for (const auto& item : items) {
        out.push_back(item.separator ? "---" : item.title);
    }
    return out;
}

std::vector<std::string> checked(const std::vector<MenuItem>& items) {
    std::vector<std::string> out;
    for (const auto& item : items) {
        if (item.checked) {
            out.push_back(item.title);
        }
    }
    return out;
}

TEST(StatusMenu, TopLevelHasOneItemPerScreenBetweenSnapAndEdit) {
    const std::vector<Screen> screens{{1, {0, 0, 1920, 1080}, {}, "Left Monitor"},
                                      {2, {1920, 0, 1280, 1024}, {}, ""}};
    const auto menu = buildStatusMenu(screens);
    EXPECT_EQ(titles(menu), (std::vector<std::string>{"Snap Window", "---", "Left Monitor", "",
                                                      "Edit Regions...", "---", "Quit"}));
    EXPECT_EQ(menu[2].tag, 1000);
    EXPECT_EQ(menu[3].tag, 1001);
    EXPECT_TRUE(menu[3].refilledOnOpen && menu[3].submenu && menu[3].submenu->empty());
    EXPECT_EQ(menu[4].keyEquivalent, "e");
    EXPECT_EQ(menu[4].modifierMask, 0xC0000u);
    EXPECT_EQ(menu[6].action, MenuAction::quit);
    EXPECT_EQ(menu[0].tag, 0);

    const auto& snap = *menu[0].submenu;
    EXPECT_EQ(titles(snap),
              (std::vector<std::string>{"Left Half", "Right Half", "Top Half", "Bottom Half", "---",
                                        "Left Third", "Center Third", "Right Third", "---",
                                        "Maximize", "Center", "Restore"}));
    EXPECT_EQ(std::get<std::string>(snap.back().representedObject), "restore");
}

class StatusMenuActions : public ::testing::Test {
  protected:
    StatusMenuActions() {
        desktop.addScreen({0, 0, 1440, 900}, {0, 0, 1440, 875});
        window = desktop.addFocusedWindow({100, 100, 400, 300});
        app.applicationDidFinishLaunching();
    }
    std::vector<MenuItem> submenu(std::int64_t index) {
        return screenMenuItems(index, desktop.screens(), *app.regionManager());
    }

    test::FakeDesktop desktop;
    test::TempDir config;
    RegionManager regions{desktop, desktop, RegionPersistence(config.path())};
    test::NoSnapPreview preview;
    AppDelegate app{test::fakeAppEnvironment(desktop, preview, regions)};
    std::uint64_t window = 0;
};

TEST_F(StatusMenuActions, CheckMarksFollowTheChosenPresetAndClear) {
    auto items = submenu(0);
    EXPECT_EQ(titles(items), (std::vector<std::string>{"Halves", "Thirds", "Quarters",
                                                       "Coding (60/40)", "---", "Clear"}));
    EXPECT_EQ(checked(items), (std::vector<std::string>{"Clear"}));

    app.loadPresetForScreen(items[2]);
    items = submenu(0);
    EXPECT_EQ(checked(items), (std::vector<std::string>{"Quarters"}));
    EXPECT_EQ(regions.regionsForScreen(desktop.screenList[0]).size(), 4u);

    app.clearScreenLayout(items.back());
    EXPECT_EQ(checked(submenu(0)), (std::vector<std::string>{"Clear"}));
    EXPECT_TRUE(regions.regionsForScreen(desktop.screenList[0]).empty());
}

TEST_F(StatusMenuActions, StaleIndexesAndMalformedObjectsDoNothing) {
    EXPECT_TRUE(submenu(1).empty()) << "no second screen: not even Clear";
    EXPECT_TRUE(submenu(-1).empty());

    auto preset = submenu(0)[1];
    auto stale = preset;
    std::get<std::map<std::string, MenuValue>>(stale.representedObject)["screenIndex"] =
        std::int64_t{1};
    app.loadPresetForScreen(stale);
    auto badId = preset;
    std::get<std::map<std::string, MenuValue>>(badId.representedObject)["presetID"] =
        std::string("not-a-uuid");
    app.loadPresetForScreen(badId);
    auto unknown = preset;
    std::get<std::map<std::string, MenuValue>>(unknown.representedObject)["presetID"] =
        Uuid::random().text();
    app.loadPresetForScreen(unknown);
    auto wrongType = preset;
    wrongType.representedObject = std::int64_t{0};
    app.loadPresetForScreen(wrongType);
    EXPECT_TRUE(regions.activePresetIDs().empty());

    MenuItem snap{.title = "Restore", .action = MenuAction::menuSnapAction};
    snap.representedObject = std::string("LeftHalf");
    app.menuSnapAction(snap);
    snap.representedObject = std::int64_t{3};
    app.menuSnapAction(snap);
    EXPECT_EQ(desktop.windows[window].frame, (Rect{100, 100, 400, 300}));

    app.loadPresetForScreen(preset);
    MenuItem clear{.title = "Clear"};
    clear.representedObject = std::string("0");
    app.clearScreenLayout(clear); // a string is not an index
    clear.representedObject = std::int64_t{5};
    app.clearScreenLayout(clear);
    EXPECT_EQ(checked(submenu(0)), (std::vector<std::string>{"Thirds"})) << "still chosen";
}

TEST_F(StatusMenuActions, SnapItemsPerformTheirAction) {
    const auto menu = buildStatusMenu(desktop.screens());
    app.menuSnapAction((*menu[0].submenu)[0]); // Left Half
    EXPECT_EQ(desktop.windows[window].frame, (Rect{0, 25, 720, 875}));
    app.menuSnapAction(menu[0].submenu->back()); // Restore
    EXPECT_EQ(desktop.windows[window].frame, (Rect{100, 100, 400, 300}));
}

} // namespace
} // namespace vantile
