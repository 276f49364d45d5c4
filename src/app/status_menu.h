#pragma once

// The status menu as plain data: titles, order, separators, tags, represented objects, key
// equivalents and check marks. The toolkit renders it; tests read it.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/regions/region_manager.h"
#include "platform/platform.h"

namespace vantile {

enum class MenuAction {
    none,
    menuSnapAction,
    loadPresetForScreen,
    clearScreenLayout,
    openRegionEditorAction,
    openShortcutsWindow,
    quit,
};

using MenuValue = std::variant<std::string, std::int64_t>;
// What an item carries for its action: nothing, a string, an integer or a small dictionary.
using RepresentedObject =
    std::variant<std::monostate, std::string, std::int64_t, std::map<std::string, MenuValue>>;

struct MenuItem {
    bool separator = false;
    std::string title{};
    MenuAction action = MenuAction::none;
    std::string keyEquivalent{};
    std::uint64_t modifierMask = 0;
    std::int64_t tag = 0;
    RepresentedObject representedObject{};
    bool checked = false;
    // A submenu; `refilledOnOpen` marks the per-screen preset menus.
    std::optional<std::vector<MenuItem>> submenu{};
    bool refilledOnOpen = false;

    static MenuItem separatorItem() { return MenuItem{.separator = true}; }
};

inline constexpr std::int64_t screenItemTagBase = 1000;

// The top level: "Snap Window", a separator, one item per screen (tag 1000 + index) with an
// empty submenu, "Edit Regions...", a separator, "Quit".
std::vector<MenuItem> buildStatusMenu(const std::vector<Screen>& screens);

// A screen's preset submenu as it reads when opened: every preset with a check at the active
// one, a separator, "Clear" (checked when none is active). Empty for an index that no longer
// names a screen.
std::vector<MenuItem> screenMenuItems(std::int64_t screenIndex, const std::vector<Screen>& screens,
                                      RegionManager& regions);

} // namespace vantile
