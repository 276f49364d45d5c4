#include "core/input/shortcut_manager.h"

#include "core/editor/region_editor_window.h"
#include "platform/key_chords.h"

#include <algorithm>
#include <map>
#include <utility>

namespace vantile {

const char* statusName(BindingReport::Status status) {
    constexpr const char* names[] = {"active", "taken", "invalid", "unbound"};
    return names[static_cast<int>(status)];
}

ShortcutManager::ShortcutManager(WindowManager& windowManager, GlobalShortcuts& shortcuts)
    : windowManager_(windowManager), shortcuts_(shortcuts) {}

bool ShortcutManager::leftToOurWindow(const KeyChord& chord) const {
    if (passThrough_ && passThrough_()) {
        return true;
    }
    const auto opener = editorOpener_.lock();
    if (!opener || !opener->regionEditorOpen()) {
        return false;
    }
    const std::uint64_t undoRedo = chord.modifiers & ~modifier::shift;
    return chord.keyCode == editor_keys::escape || chord.keyCode == editor_keys::returnKey ||
           (chord.keyCode == editor_keys::z && undoRedo == modifier::control);
}

Registration ShortcutManager::add(const std::string& id, std::optional<KeyChord> chord,
                                  std::function<WindowManager::Plan()> plan) {
    ShortcutPress pressed = [this, chord, plan]() -> WindowManager::Plan {
        return chord && leftToOurWindow(*chord) ? WindowManager::Plan{} : plan();
    };
    const Registration result = chord ? shortcuts_.registerShortcut(id, *chord, std::move(pressed))
                                      : shortcuts_.offerShortcut(id, std::move(pressed));
    if (result == Registration::active) {
        registered_.push_back(id);
    }
    return result;
}

// What the named command would do now; empty for a name that is none.
std::function<WindowManager::Plan()> ShortcutManager::planner(const std::string& name) {
    WindowManager& windows = windowManager_;
    for (const WindowAction action : allWindowActions) {
        if (name == rawValue(action)) {
            return [&windows, action] { return windows.plan(action); };
        }
    }
    if (name.starts_with("region") && name.size() == 7 && name[6] >= '1' && name[6] <= '9') {
        return [&windows, index = name[6] - '1'] { return windows.planSnapToRegion(index); };
    }
    const std::map<std::string, WindowAction> adjacent = {{"regionLeft", WindowAction::leftHalf},
                                                          {"regionRight", WindowAction::rightHalf},
                                                          {"regionUp", WindowAction::topHalf},
                                                          {"regionDown", WindowAction::bottomHalf}};
    if (const auto found = adjacent.find(name); found != adjacent.end()) {
        return
            [&windows, direction = found->second] { return windows.planAdjacentRegion(direction); };
    }
    if (name == "previousRegion" || name == "nextRegion") {
        return
            [&windows, forward = name == "nextRegion"] { return windows.planCycleRegion(forward); };
    }
    if (name == "editRegions") {
        return [this]() -> WindowManager::Plan {
            return [opener = editorOpener_] {
                if (const auto open = opener.lock()) {
                    open->openRegionEditor();
                }
            };
        };
    }
    return {};
}

// Every command runs while the manager lives: it unregisters them before it goes. A command with
// several chords is registered once for each, the second as "name 2".
void ShortcutManager::start(const ShortcutBindings& bindings) {
    stop();
    chords_ = bindings.chords;
    for (const auto& [name, list] : bindings.chords) {
        const auto plan = planner(name);
        if (list.empty() || !plan) {
            report_.push_back({"", name, BindingReport::Status::unbound, ""});
        }
        for (std::size_t i = 0; plan && i < list.size(); ++i) {
            const auto id = i == 0 ? name : name + " " + std::to_string(i + 1);
            if (withheld(list[i])) {
                add(id, std::nullopt, plan);
                report_.push_back({formatChord(list[i]), name, BindingReport::Status::unbound,
                                   "the desktop would take this key from every program; bind it "
                                   "in the desktop's shortcut settings to use it",
                                   id});
                continue;
            }
            const Registration result = add(id, list[i], plan);
            report_.push_back(
                {formatChord(list[i]), name,
                 result == Registration::active  ? BindingReport::Status::active
                 : result == Registration::taken ? BindingReport::Status::taken
                                                 : BindingReport::Status::invalid,
                 result == Registration::refused ? "the desktop does not deliver this chord" : "",
                 result == Registration::active ? id : ""});
        }
    }
    for (const auto& problem : bindings.problems) {
        report_.push_back(
            {problem.chord, problem.command, BindingReport::Status::invalid, problem.reason});
    }
}

// Where a claimed key can never reach the focused program, Alt+arrows would stop working as
// Back and Forward in every browser.
bool ShortcutManager::withheld(const KeyChord& chord) const {
    const bool arrow = chord.keyCode >= 123 && chord.keyCode <= 126;
    return shortcuts_.boundByDesktop() && arrow && chord.modifiers == modifier::option;
}

std::vector<BindingReport> ShortcutManager::report() const {
    std::vector<BindingReport> lines = report_;
    for (BindingReport& line : lines) {
        const auto held = line.id.empty() ? std::nullopt : shortcuts_.heldChords(line.id);
        if (!held) {
            continue;
        }
        if (const auto chord = held->empty() ? std::nullopt : parseChord(held->front())) {
            line = {formatChord(*chord), line.command, BindingReport::Status::active, "", line.id};
        } else if (line.status == BindingReport::Status::active) {
            line = {"", line.command, BindingReport::Status::unbound,
                    "no key is set for it in the desktop's shortcut settings", line.id};
        }
    }
    return lines;
}

bool ShortcutManager::rebindInDesktop(const std::map<std::string, std::vector<KeyChord>>& chosen) {
    if (!shortcuts_.boundByDesktop()) {
        return false;
    }
    bool all = true;
    for (const auto& [command, chords] : chosen) {
        all = shortcuts_.rebind(command, chords) && all;
    }
    return all;
}

void ShortcutManager::stop() {
    for (const std::string& id : registered_) {
        shortcuts_.unregisterShortcut(id);
    }
    registered_.clear();
    report_.clear();
}

std::map<std::string, KeyChord> ShortcutManager::freeAlternatives() {
    std::map<std::string, KeyChord> alternatives;
    // There the user picks other keys in the desktop's settings.
    if (shortcuts_.boundByDesktop()) {
        return alternatives;
    }
    const auto inUse = [&](const KeyChord& chord) {
        return std::ranges::any_of(chords_, [&](const auto& entry) {
            return std::ranges::find(entry.second, chord) != entry.second.end();
        });
    };
    for (const auto& command : shortcutCommands()) {
        for (const KeyChord& chord : command.defaults) {
            const bool taken = std::ranges::any_of(report_, [&](const BindingReport& line) {
                return line.command == command.name && line.chord == formatChord(chord) &&
                       line.status == BindingReport::Status::taken;
            });
            const KeyChord other{chord.keyCode, chord.modifiers ^ modifier::command};
            if (!taken || alternatives.contains(command.name) || inUse(other)) {
                continue;
            }
            // Granted only if the desktop lets us have it; given back at once.
            const std::string probe = command.name + " alternative";
            if (shortcuts_.registerShortcut(probe, other, [] { return WindowManager::Plan{}; }) ==
                Registration::active) {
                shortcuts_.unregisterShortcut(probe);
                alternatives[command.name] = other;
            }
        }
    }
    return alternatives;
}

} // namespace vantile
