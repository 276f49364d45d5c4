#include "core/input/shortcut_manager.h"

#include <array>
#include <utility>

namespace vantile {

namespace {

// Key codes by position on a US keyboard.
namespace key {
constexpr std::uint16_t left = 123, right = 124, down = 125, up = 126;
constexpr std::uint16_t returnKey = 36, c = 8, r = 15, u = 32, i = 34, o = 31, e = 14;
constexpr std::uint16_t rightBracket = 30, leftBracket = 33;
} // namespace key

constexpr std::array<std::pair<std::uint16_t, WindowAction>, 10> actionKeys = {{
    {key::left, WindowAction::leftHalf},
    {key::right, WindowAction::rightHalf},
    {key::up, WindowAction::topHalf},
    {key::down, WindowAction::bottomHalf},
    {key::returnKey, WindowAction::maximize},
    {key::c, WindowAction::center},
    {key::r, WindowAction::restore},
    {key::u, WindowAction::leftThird},
    {key::i, WindowAction::centerThird},
    {key::o, WindowAction::rightThird},
}};

// The digits 1 to 9.
constexpr std::array<std::uint16_t, 9> regionKeys = {18, 19, 20, 21, 23, 22, 26, 28, 25};

// Alt with an arrow moves to the adjacent region, named by the half in that direction.
constexpr std::array<std::tuple<const char*, std::uint16_t, WindowAction>, 4> adjacentKeys = {{
    {"regionLeft", key::left, WindowAction::leftHalf},
    {"regionRight", key::right, WindowAction::rightHalf},
    {"regionUp", key::up, WindowAction::topHalf},
    {"regionDown", key::down, WindowAction::bottomHalf},
}};

} // namespace

ShortcutManager::ShortcutManager(WindowManager& windowManager, GlobalShortcuts& shortcuts)
    : windowManager_(windowManager), shortcuts_(shortcuts) {}

void ShortcutManager::add(const std::string& id, KeyChord chord, std::function<void()> command) {
    if (shortcuts_.registerShortcut(id, chord, std::move(command))) {
        registered_.push_back(id);
    }
}

// Every command runs while the manager lives: it unregisters them before it goes.
void ShortcutManager::start() {
    WindowManager& windows = windowManager_;
    for (const auto& [code, named] : actionKeys) {
        const WindowAction action = named; // a copy the command can hold
        add(std::string(rawValue(action)), {code, controlOption},
            [&windows, action] { windows.perform(action); });
    }
    for (int index = 0; index < int(regionKeys.size()); ++index) {
        add("region" + std::to_string(index + 1), {regionKeys[index], controlOption},
            [&windows, index] { windows.snapToRegion(index); });
    }
    add("previousRegion", {key::leftBracket, controlOption},
        [&windows] { windows.cycleRegion(false); });
    add("nextRegion", {key::rightBracket, controlOption},
        [&windows] { windows.cycleRegion(true); });
    add("editRegions", {key::e, controlOption}, [this] {
        if (const auto opener = editorOpener_.lock()) {
            opener->openRegionEditor();
        }
    });
    for (const auto& [id, code, named] : adjacentKeys) {
        const WindowAction direction = named;
        add(id, {code, modifier::option},
            [&windows, direction] { windows.moveToAdjacentRegion(direction); });
    }
}

void ShortcutManager::stop() {
    for (const std::string& id : registered_) {
        shortcuts_.unregisterShortcut(id);
    }
    registered_.clear();
}

} // namespace vantile
