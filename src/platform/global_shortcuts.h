#pragma once

// System-wide shortcuts, registered by id and fired by the desktop: a desktop with a shortcut
// service of its own registers them there; on X11 each chord is a key grab on the root window.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantile {

struct KeyChord {
    // The key by its position on a US keyboard, as KeyEvent names keys.
    std::uint16_t keyCode = 0;
    // Exactly these modifier flags (see modifier::); Num Lock never counts.
    std::uint64_t modifiers = 0;
    friend bool operator==(const KeyChord&, const KeyChord&) = default;
};

// What a press of a registered chord does, decided the moment it is pressed: the work to carry
// out, or none when the command would do nothing now. A press that does nothing goes on to the
// focused program as if it had not been claimed, where the desktop can hand it on. The desktop is
// answered before the work runs, so that the keyboard is never held while it works.
using ShortcutPress = std::function<std::function<void()>()>;

enum class Registration {
    active,
    // Another program holds the chord (usually the window manager).
    taken,
    // The id or the chord is registered already, or the desktop cannot deliver shortcuts.
    refused,
};

class GlobalShortcuts {
  public:
    virtual ~GlobalShortcuts() = default;
    // From now on asks `pressed` on the main thread whenever the chord is pressed (and again for
    // each repeat while it is held), until the id is unregistered. Nothing stays registered
    // unless the answer is active.
    virtual Registration registerShortcut(const std::string& id, const KeyChord& chord,
                                          ShortcutPress pressed) = 0;
    virtual void unregisterShortcut(const std::string& id) = 0;

    // Whether the desktop's own shortcut service holds the bindings: the user binds keys in its
    // settings, and a press it delivers never goes on to the focused program, so keys that
    // programs use themselves (Alt+arrows) are better offered there without a key.
    virtual bool boundByDesktop() const { return false; }
    // Where the desktop binds keys: registers the id without a key, for the user to bind there.
    virtual Registration offerShortcut(const std::string& /*id*/, ShortcutPress /*pressed*/) {
        return Registration::refused;
    }
    // On a desktop whose own settings bind shortcuts, the keys the id is bound to there now, as
    // Qt's portable text writes them; none where the program's own chords are what holds.
    virtual std::optional<std::vector<std::string>> heldChords(const std::string& /*id*/) {
        return std::nullopt;
    }
    // Binds the id to these keys in the desktop's own settings; false where it has none.
    virtual bool rebind(const std::string& /*id*/, const std::vector<KeyChord>& /*chords*/) {
        return false;
    }
};

} // namespace vantile
