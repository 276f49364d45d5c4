#pragma once

// How an X key press reads as the key code and modifier flags the shortcut logic works with.
// Keys are named by where they sit on a US keyboard, whatever the layout prints on them, so that a
// shortcut stays on the same keys when the user switches layouts.

#include <cstdint>
#include <optional>

#include "platform/platform.h"

namespace vantile {

// The code given to keys the logic never names, so that they match no shortcut. Such presses are
// still reported: a global monitor hears every key press, including those of modifier keys.
inline constexpr std::uint16_t kUnmappedKeyCode = 0xFFFF;

// The key code for an X key code. X servers that read keyboards through evdev or libinput number
// keys as the kernel's evdev code plus 8.
std::uint16_t keyCodeForXKeycode(std::uint32_t xKeycode);

// The modifier flags for an X modifier mask (Shift 0x01, Lock 0x02, Control 0x04, Mod1 0x08 ...
// Mod5 0x80). Num Lock (Mod2) is left out so that shortcuts work with it on or off; Mod3 and Mod5
// stand for nothing the logic knows.
std::uint64_t modifierFlagsForXState(std::uint16_t xModifiers);

// The way back, for grabbing a chord's key: the X key code at the key's position, none for a key
// the table does not name; and the X modifier mask for modifier flags.
std::optional<std::uint8_t> xKeycodeForKeyCode(std::uint16_t keyCode);
std::uint16_t xStateForModifierFlags(std::uint64_t flags);

// A press of the X key with the X modifiers held; arrow keys also carry the numeric-pad and
// function flags, as the shortcut tables expect of them.
KeyEvent keyEventFor(std::uint32_t xKeycode, std::uint16_t xModifiers);

} // namespace vantile
