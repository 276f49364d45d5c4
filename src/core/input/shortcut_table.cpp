#include "core/input/shortcut_table.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <set>
#include <variant>

#include "platform/key_chords.h"
#include "core/windows/window_action.h"

namespace vantile {

namespace {

std::vector<ShortcutCommand> makeCommands() {
    // Control+Alt with the key in brackets after each action's name; the others follow.
    const std::array<std::pair<WindowAction, const char*>, 15> actionKeys{{
        {WindowAction::leftHalf, "Left"},
        {WindowAction::rightHalf, "Right"},
        {WindowAction::topHalf, "Up"},
        {WindowAction::bottomHalf, "Down"},
        {WindowAction::topLeft, ""},
        {WindowAction::topRight, ""},
        {WindowAction::bottomLeft, ""},
        {WindowAction::bottomRight, ""},
        {WindowAction::leftThird, "U"},
        {WindowAction::centerThird, "I"},
        {WindowAction::rightThird, "O"},
        {WindowAction::maximize, "Return"},
        {WindowAction::almostMaximize, ""},
        {WindowAction::center, "C"},
        {WindowAction::restore, "R"},
    }};
    const auto chords = [](std::string_view modifiers, std::string_view key) {
        const auto chord = parseChord(std::string(modifiers) + std::string(key));
        return key.empty() || !chord ? std::vector<KeyChord>{} : std::vector<KeyChord>{*chord};
    };
    std::vector<ShortcutCommand> commands;
    for (const auto& [action, key] : actionKeys) {
        commands.push_back({std::string(rawValue(action)), chords("Ctrl+Alt+", key)});
    }
    for (int n = 1; n <= 9; ++n) {
        commands.push_back({"region" + std::to_string(n), chords("Ctrl+Alt+", std::to_string(n))});
    }
    for (const auto& [name, modifiers, key] :
         std::array<std::array<const char*, 3>, 7>{{{"previousRegion", "Ctrl+Alt+", "["},
                                                    {"nextRegion", "Ctrl+Alt+", "]"},
                                                    {"regionLeft", "Alt+", "Left"},
                                                    {"regionRight", "Alt+", "Right"},
                                                    {"regionUp", "Alt+", "Up"},
                                                    {"regionDown", "Alt+", "Down"},
                                                    {"editRegions", "Ctrl+Alt+", "E"}}}) {
        commands.push_back({name, chords(modifiers, key)});
    }
    return commands;
}

// The chords of one entry, or why it cannot be used.
std::variant<std::vector<KeyChord>, std::string> entryChords(const nlohmann::json& value) {
    const auto texts = value.is_array() ? value : nlohmann::json::array({value});
    std::vector<KeyChord> chords;
    for (const auto& text : texts) {
        if (!text.is_string()) {
            return std::string("a chord is written as a string");
        }
        if (text.get<std::string>().empty() && texts.size() == 1) {
            continue;
        }
        const auto chord = parseChord(text.get<std::string>());
        if (!chord) {
            return "\"" + text.get<std::string>() + "\" is no chord";
        }
        chords.push_back(*chord);
    }
    return chords;
}

} // namespace

const std::vector<ShortcutCommand>& shortcutCommands() {
    static const std::vector<ShortcutCommand> commands = makeCommands();
    return commands;
}

std::map<std::string, std::vector<KeyChord>> defaultShortcutChords() {
    std::map<std::string, std::vector<KeyChord>> chords;
    for (const auto& command : shortcutCommands()) {
        chords[command.name] = command.defaults;
    }
    return chords;
}

ShortcutBindings readShortcutBindings(std::string_view json) {
    ShortcutBindings bindings{defaultShortcutChords(), {}};
    // The file needs three levels (object, array, chord); anything deeper is dropped while it is
    // read, so that no nesting can make the document deep.
    const auto file = nlohmann::json::parse(
        json, [](int depth, nlohmann::json::parse_event_t, nlohmann::json&) { return depth <= 3; },
        false);
    if (!file.is_object()) {
        bindings.problems.push_back({"", "", "the file is no JSON object"});
        return bindings;
    }
    std::map<std::string, std::string> written; // command → the entry as written
    for (const auto& [name, value] : file.items()) {
        const auto chords = entryChords(value);
        if (!bindings.chords.contains(name)) {
            bindings.problems.push_back({name, value.dump(), "no such command"});
        } else if (const auto* reason = std::get_if<std::string>(&chords)) {
            bindings.problems.push_back({name, value.dump(), *reason});
        } else {
            bindings.chords[name] = std::get<std::vector<KeyChord>>(chords);
            written[name] = value.dump();
        }
    }
    // A chord can run one command only: the file's entries that share one go back to their
    // defaults, which may share one with another entry in turn.
    for (bool changed = true; changed;) {
        changed = false;
        std::map<std::pair<std::uint16_t, std::uint64_t>, std::set<std::string>> users;
        for (const auto& [name, chords] : bindings.chords) {
            for (const auto& chord : chords) {
                users[{chord.keyCode, chord.modifiers}].insert(name);
            }
        }
        for (const auto& [chord, names] : users) {
            for (const auto& name : names) {
                if (names.size() > 1 && written.contains(name)) {
                    bindings.problems.push_back(
                        {name, written[name],
                         formatChord({chord.first, chord.second}) + " is given to two commands"});
                    written.erase(name);
                    const auto& all = shortcutCommands();
                    bindings.chords[name] =
                        std::ranges::find(all, name, &ShortcutCommand::name)->defaults;
                    changed = true;
                }
            }
        }
    }
    return bindings;
}

std::optional<std::string>
rewrittenShortcutsFile(std::optional<std::string_view> file,
                       const std::map<std::string, std::vector<KeyChord>>& chosen) {
    auto json = file ? nlohmann::json::parse(*file, nullptr, false) : nlohmann::json::object();
    if (!json.is_object()) {
        return std::nullopt;
    }
    const auto defaults = defaultShortcutChords();
    for (const auto& [name, chords] : chosen) {
        if (const auto found = defaults.find(name);
            found != defaults.end() && found->second == chords) {
            json.erase(name);
        } else if (chords.size() == 1) {
            json[name] = formatChord(chords.front());
        } else {
            json[name] = nlohmann::json::array();
            for (const KeyChord& chord : chords) {
                json[name].push_back(formatChord(chord));
            }
        }
    }
    return json.dump(2) + "\n";
}

} // namespace vantile
