#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/input/shortcut_table.h"
#include "core/regions/region_manager.h"
#include "core/windows/window_manager.h"
#include "platform/global_shortcuts.h"
#include "platform/platform.h"

namespace vantile {

// Whoever opens the region editor on request, and says whether it is open: while it is, its own
// keys (Escape, Return with any modifiers, Ctrl+Z, Ctrl+Shift+Z) reach it before any shortcut.
class RegionEditorOpener {
  public:
    virtual ~RegionEditorOpener() = default;
    virtual void openRegionEditor() = 0;
    virtual bool regionEditorOpen() const = 0;
};

// What became of one binding, as `vantile shortcuts` lists it.
struct BindingReport {
    enum class Status { active, taken, invalid, unbound };
    // Canonical; as written for an invalid entry; empty for a command without a key.
    std::string chord;
    std::string command;
    Status status = Status::active;
    // Why an invalid entry could not be used, or a binding is left without its key.
    std::string reason;
    // What the chord is registered as; empty for an invalid entry.
    std::string id{};
};
const char* statusName(BindingReport::Status status);

// The system-wide shortcuts, each registered under the name of its command (see shortcut_table.h
// for the names and the default chords). A press whose command would do nothing at that moment
// is no shortcut: the key goes on to the focused program.
class ShortcutManager {
  public:
    // Both must outlive the manager.
    ShortcutManager(WindowManager& windowManager, GlobalShortcuts& shortcuts);
    ~ShortcutManager() { stop(); }
    ShortcutManager(const ShortcutManager&) = delete;
    ShortcutManager& operator=(const ShortcutManager&) = delete;

    void setEditorOpener(std::weak_ptr<RegionEditorOpener> opener) { editorOpener_ = opener; }
    // While this says so every press goes on to the focused program: a window of ours is taking
    // keys down as they are pressed (the Shortcuts window).
    void setKeysPassThrough(std::function<bool()> passThrough) {
        passThrough_ = std::move(passThrough);
    }

    // Registers each command's chords as far as the desktop takes them, in place of whatever was
    // registered before; the bindings' problems are reported as invalid entries.
    void start(const ShortcutBindings& bindings);
    void start() { start(ShortcutBindings{defaultShortcutChords(), {}}); }
    void stop();

    bool monitoring() const { return !registered_.empty(); }
    // One line per chord of every command, then every invalid entry; on a desktop whose own
    // settings bind shortcuts, with the keys they hold now.
    std::vector<BindingReport> report() const;
    // For each default chord another program holds: the same key with Super added (or, when it
    // has Super, without it) where the desktop grants that and no binding uses it.
    std::map<std::string, KeyChord> freeAlternatives();

    // Where the desktop's own settings bind keys: binds the commands to these chords there.
    // False where the program's own file binds them.
    bool rebindInDesktop(const std::map<std::string, std::vector<KeyChord>>& chosen);

    static constexpr std::uint64_t controlOption = modifier::control | modifier::option;

  private:
    // Registers the chord, or with none the command without a key.
    Registration add(const std::string& id, std::optional<KeyChord> chord,
                     std::function<WindowManager::Plan()>);
    std::function<WindowManager::Plan()> planner(const std::string& name);
    bool leftToOurWindow(const KeyChord& chord) const;
    bool withheld(const KeyChord& chord) const;

    WindowManager& windowManager_;
    GlobalShortcuts& shortcuts_;
    std::weak_ptr<RegionEditorOpener> editorOpener_;
    std::function<bool()> passThrough_;
    std::vector<std::string> registered_;
    std::vector<BindingReport> report_;
    std::map<std::string, std::vector<KeyChord>> chords_;
};

} // namespace vantile
