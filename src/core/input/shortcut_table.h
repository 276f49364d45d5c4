#pragma once

// The commands a shortcut can run, by name, with their default chords, and the user's own
// bindings read from the shortcuts file over those defaults.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/global_shortcuts.h"

namespace vantile {

struct ShortcutCommand {
    std::string name;
    std::vector<KeyChord> defaults;
};

// The 15 actions by their names, region1 to region9, previousRegion, nextRegion, regionLeft,
// regionRight, regionUp, regionDown and editRegions, in that order.
const std::vector<ShortcutCommand>& shortcutCommands();
// Every command's default chords by its name.
std::map<std::string, std::vector<KeyChord>> defaultShortcutChords();

struct ShortcutBindings {
    // Every command's chords; none for a command without a key.
    std::map<std::string, std::vector<KeyChord>> chords;
    // An entry that could not be used, as written, and why.
    struct Problem {
        std::string command;
        std::string chord;
        std::string reason;
    };
    std::vector<Problem> problems;
};

// The defaults with the file's entries applied: a JSON object of command name → a chord or an
// array of them ("" or [] for no key). An unknown command or a chord that does not parse is
// skipped; a chord given to two commands is used by neither; both keep their defaults then. A
// file that is no JSON object applies nothing and is one problem.
ShortcutBindings readShortcutBindings(std::string_view json);

// The file with the chosen commands' chords written into it: a command given its defaults loses
// its entry, every other entry is kept as it was. None when the file is no JSON object, which
// is then left to the user rather than overwritten.
std::optional<std::string>
rewrittenShortcutsFile(std::optional<std::string_view> file,
                       const std::map<std::string, std::vector<KeyChord>>& chosen);

} // namespace vantile
