// The shortcuts as the user sees them: read from the shortcuts file beside the chosen presets
// (the defaults where it says nothing), read again when it changes, listed by `vantile
// shortcuts`, and any key another program holds or any bad entry told once.

#include "app/app_delegate.h"

#include <utility>

#include "base/file_io.h"
#include "core/input/shortcut_table.h"
#include "platform/key_chords.h"

namespace vantile {

std::filesystem::path AppDelegate::shortcutsPath() const {
    return regionManager_->persistence().baseDirectory() / "shortcuts.json";
}

void AppDelegate::startShortcuts() {
    reloadShortcuts();
    if (env_.watchFile) {
        std::weak_ptr<AppDelegate*> weak = self_;
        env_.watchFile(shortcutsPath(), [weak] {
            if (const auto self = weak.lock()) {
                (*self)->reloadShortcuts();
            }
        });
    }
}

// A file that reads as before changes nothing: saving it untouched, or the second of the events
// one write makes, leaves the grabs alone.
void AppDelegate::reloadShortcuts() {
    if (!shortcutManager_) {
        return;
    }
    auto file = readWholeFile(shortcutsPath());
    if (shortcutsRead_ && file == shortcutsFile_) {
        return;
    }
    const bool wasRead = std::exchange(shortcutsRead_, true);
    shortcutsFile_ = std::move(file);
    shortcutManager_->start(shortcutsFile_ ? readShortcutBindings(*shortcutsFile_)
                                           : ShortcutBindings{defaultShortcutChords(), {}});
    // A bad entry is told once, not again with each later change that leaves it.
    std::string invalid;
    for (const BindingReport& line : shortcutManager_->report()) {
        if (line.status == BindingReport::Status::invalid) {
            invalid += line.command + line.chord + line.reason + "\n";
        }
    }
    if (wasRead && !invalid.empty() && invalid != shortcutProblems_) {
        announceShortcutProblems();
    }
    shortcutProblems_ = invalid;
}

// Where the desktop binds the keys, the user's choice is written there, where its own settings
// show it too; the file keeps only what the program registers as its defaults.
bool AppDelegate::saveShortcuts(const std::map<std::string, std::vector<KeyChord>>& chosen) {
    if (shortcutManager_ && shortcutManager_->rebindInDesktop(chosen)) {
        return true;
    }
    const auto file = readWholeFile(shortcutsPath());
    const auto written = rewrittenShortcutsFile(file, chosen);
    if (!written || !writeFileAtomically(shortcutsPath(), *written)) {
        return false;
    }
    reloadShortcuts();
    return true;
}

namespace {

std::string joined(const std::vector<std::string>& parts, const char* separator) {
    std::string text;
    for (const auto& part : parts) {
        text += (text.empty() ? "" : separator) + part;
    }
    return text;
}

// "Ctrl+Alt+Left (leftHalf)" for each line of the status.
std::vector<std::string> linesWith(const std::vector<BindingReport>& report,
                                   BindingReport::Status status) {
    std::vector<std::string> lines;
    for (const BindingReport& line : report) {
        if (line.status == status) {
            lines.push_back(status == BindingReport::Status::invalid
                                ? (line.command.empty() ? "" : line.command + ": ") + line.reason
                                : line.chord + " (" + line.command + ")");
        }
    }
    return lines;
}

} // namespace

void AppDelegate::announceShortcutProblems() {
    const auto& report = shortcutManager_->report();
    const auto taken = linesWith(report, BindingReport::Status::taken);
    const auto invalid = linesWith(report, BindingReport::Status::invalid);
    if (!env_.notify || (taken.empty() && invalid.empty())) {
        return;
    }
    std::string body;
    if (!taken.empty()) {
        body += "Another program holds " + joined(taken, ", ") + ". ";
        for (const auto& note : desktopNotes()) {
            body += note + ". ";
        }
    }
    if (!invalid.empty()) {
        body += "In " + shortcutsPath().string() + ": " + joined(invalid, "; ") + ". ";
    }
    body += "Choose other keys in Shortcuts... in vantile's menu, or in " +
            shortcutsPath().string() + ".";
    Notice notice{"Some vantile shortcuts do not work", body};
    const auto alternatives = shortcutManager_->freeAlternatives();
    if (!alternatives.empty()) {
        std::vector<std::string> chords;
        std::map<std::string, std::vector<KeyChord>> chosen;
        for (const auto& [command, chord] : alternatives) {
            chords.push_back(formatChord(chord));
            chosen[command] = {chord};
        }
        notice.actionLabel = "Use " + joined(chords, ", ");
        std::weak_ptr<AppDelegate*> weak = self_;
        notice.action = [weak, chosen] {
            if (const auto self = weak.lock()) {
                (*self)->saveShortcuts(chosen);
            }
        };
    }
    env_.notify(notice);
}

CommandReply AppDelegate::shortcutsCommand(const InstanceCommand& command) {
    if (command.edit) {
        if (!env_.openShortcutsWindow) {
            return {commandUnavailable, "vantile: the Shortcuts window cannot open here\n", {}};
        }
        env_.openShortcutsWindow();
        return {};
    }
    CommandReply reply;
    for (const BindingReport& line : shortcutManager_->report()) {
        if (command.kind == InstanceCommand::Kind::shortcuts) {
            reply.text += line.chord + "\t" + line.command + "\t" + statusName(line.status) +
                          (line.reason.empty() ? "" : "\t" + line.reason) + "\n";
        } else if (line.status == BindingReport::Status::invalid) {
            reply.notes += "vantile: " + shortcutsPath().string() + ": " + line.command + " " +
                           line.chord + ": " + line.reason + "\n";
        }
    }
    if (command.kind == InstanceCommand::Kind::shortcuts) {
        for (const auto& note : desktopNotes()) {
            reply.notes += "vantile: note: " + note + ".\n";
        }
    }
    return reply;
}

} // namespace vantile
