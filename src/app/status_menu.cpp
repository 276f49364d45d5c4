#include "app/status_menu.h"

#include <array>
#include <utility>

namespace vantile {

namespace {

MenuItem snapItem(const char* title, const char* action) {
    return MenuItem{.title = title,
                    .action = MenuAction::menuSnapAction,
                    .representedObject = std::string(action)};
}

std::vector<MenuItem> snapSubmenu() {
    return {
        snapItem("Left Half", "leftHalf"),
        snapItem("Right Half", "rightHalf"),
        snapItem("Top Half", "topHalf"),
        snapItem("Bottom Half", "bottomHalf"),
        MenuItem::separatorItem(),
        snapItem("Left Third", "leftThird"),
        snapItem("Center Third", "centerThird"),
        snapItem("Right Third", "rightThird"),
        MenuItem::separatorItem(),
        snapItem("Maximize", "maximize"),
        snapItem("Center", "center"),
        snapItem("Restore", "restore"),
    };
}

} // namespace

std::vector<MenuItem> buildStatusMenu(const std::vector<Screen>& screens) {
    std::vector<MenuItem> menu;
    menu.push_back(MenuItem{.title = "Snap Window", .submenu = snapSubmenu()});
    menu.push_back(MenuItem::separatorItem());
    for (std::size_t i = 0; i < screens.size(); ++i) {
        menu.push_back(MenuItem{.title = screens[i].localizedName,
                                .tag = screenItemTagBase + static_cast<std::int64_t>(i),
                                .submenu = std::vector<MenuItem>{},
                                .refilledOnOpen = true});
    }
    menu.push_back(MenuItem{.title = "Edit Regions...",
                            .action = MenuAction::openRegionEditorAction,
                            .keyEquivalent = "e",
                            .modifierMask = modifier::control | modifier::option});
    menu.push_back(MenuItem{.title = "Shortcuts...", .action = MenuAction::openShortcutsWindow});
    menu.push_back(MenuItem::separatorItem());
    menu.push_back(MenuItem{.title = "Quit",
                            .action = MenuAction::quit,
                            .keyEquivalent = "q",
                            .modifierMask = modifier::command});
    return menu;
}

std::vector<MenuItem> screenMenuItems(std::int64_t screenIndex, const std::vector<Screen>& screens,
                                      RegionManager& regions) {
    if (screenIndex < 0 || static_cast<std::size_t>(screenIndex) >= screens.size()) {
        return {};
    }
    const Screen& screen = screens[static_cast<std::size_t>(screenIndex)];
    const auto& active = regions.activePresetIDs();
    const auto found = active.find(RegionManager::screenKey(screen));
    const std::optional<Uuid> activeId =
        found == active.end() ? std::nullopt : std::optional(found->second);
    std::vector<MenuItem> items;
    for (const RegionPreset& preset : regions.allPresets()) {
        items.push_back(MenuItem{
            .title = preset.name,
            .action = MenuAction::loadPresetForScreen,
            .representedObject = std::map<std::string, MenuValue>{{"presetID", preset.id.text()},
                                                                  {"screenIndex", screenIndex}},
            .checked = activeId == preset.id});
    }
    items.push_back(MenuItem::separatorItem());
    items.push_back(MenuItem{.title = "Clear",
                             .action = MenuAction::clearScreenLayout,
                             .representedObject = screenIndex,
                             .checked = !activeId});
    return items;
}

} // namespace vantile
