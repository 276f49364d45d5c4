#include "core/input/shortcut_manager.h"

#include "core/input/shortcut_table.h"

#include <map>
#include <utility>

namespace vantile {

ShortcutManager::ShortcutManager(WindowManager& windowManager, GlobalShortcuts& shortcuts)
    : windowManager_(windowManager), shortcuts_(shortcuts) {}

void ShortcutManager::add(const std::string& id, KeyChord chord, std::function<void()> command) {
    if (shortcuts_.registerShortcut(id, chord, std::move(command))) {
        registered_.push_back(id);
    }
}

// What the named command does; empty for a name that is none.
std::function<void()> ShortcutManager::command(const std::string& name) {
    WindowManager& windows = windowManager_;
    for (const WindowAction action : allWindowActions) {
        if (name == rawValue(action)) {
            return [&windows, action] { windows.perform(action); };
        }
    }
    if (name.starts_with("region") && name.size() == 7 && name[6] >= '1' && name[6] <= '9') {
        return [&windows, index = name[6] - '1'] { windows.snapToRegion(index); };
    }
    const std::map<std::string, WindowAction> adjacent = {{"regionLeft", WindowAction::leftHalf},
                                                          {"regionRight", WindowAction::rightHalf},
                                                          {"regionUp", WindowAction::topHalf},
                                                          {"regionDown", WindowAction::bottomHalf}};
    if (const auto found = adjacent.find(name); found != adjacent.end()) {
        return [&windows, direction = found->second] { windows.moveToAdjacentRegion(direction); };
    }
    if (name == "previousRegion" || name == "nextRegion") {
        return [&windows, forward = name == "nextRegion"] { windows.cycleRegion(forward); };
    }
    if (name == "editRegions") {
        return [this] {
            if (const auto opener = editorOpener_.lock()) {
                opener->openRegionEditor();
            }
        };
    }
    return {};
}

// Every command runs while the manager lives: it unregisters them before it goes. A command with
// several chords is registered once for each, the second as "name 2".
void ShortcutManager::start(const std::map<std::string, std::vector<KeyChord>>& chords) {
    for (const auto& [name, list] : chords) {
        const auto run = command(name);
        for (std::size_t i = 0; run && i < list.size(); ++i) {
            add(i == 0 ? name : name + " " + std::to_string(i + 1), list[i], run);
        }
    }
}

void ShortcutManager::start() {
    start(defaultShortcutChords());
}

void ShortcutManager::stop() {
    for (const std::string& id : registered_) {
        shortcuts_.unregisterShortcut(id);
    }
    registered_.clear();
}

} // namespace vantile
