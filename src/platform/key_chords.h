#pragma once

// Key chords as people write them: modifiers, then a key, joined by "+" ("Ctrl+Alt+Left"). Keys
// are named as on a US keyboard, the way Qt's portable text names them, and stand for that
// position whatever the keyboard's layout.

#include <optional>
#include <string>
#include <string_view>

#include "platform/global_shortcuts.h"
#include "platform/platform.h"

namespace vantile {

// Modifiers in any order, each once (Ctrl, Alt, Shift, Super; Meta for Super), then exactly one
// key, in any case; none for anything else.
std::optional<KeyChord> parseChord(std::string_view text);
// Canonical order: Ctrl, Alt, Shift, Super, then the key.
std::string formatChord(const KeyChord& chord);

} // namespace vantile
