#include "backends/x11/x11_keys.h"

#include <array>
#include <utility>

namespace vantile {
namespace {

constexpr std::uint32_t kEvdevOffset = 8;

// evdev code → key code of the same position on a US keyboard.
constexpr std::array<std::pair<std::uint16_t, std::uint16_t>, 25> kKeysByPosition{{
    {1, 53},    // Escape
    {2, 18},    // 1
    {3, 19},    // 2
    {4, 20},    // 3
    {5, 21},    // 4
    {6, 23},    // 5
    {7, 22},    // 6
    {8, 26},    // 7
    {9, 28},    // 8
    {10, 25},   // 9
    {11, 29},   // 0
    {18, 14},   // E
    {19, 15},   // R
    {22, 32},   // U
    {23, 34},   // I
    {24, 31},   // O
    {26, 33},   // [
    {27, 30},   // ]
    {28, 36},   // Return
    {44, 6},    // Z
    {46, 8},    // C
    {103, 126}, // Up
    {105, 123}, // Left
    {106, 124}, // Right
    {108, 125}, // Down
}};

constexpr std::uint16_t kLeftArrow = 123;
constexpr std::uint16_t kUpArrow = 126;

constexpr std::uint16_t kShiftMask = 0x01;
constexpr std::uint16_t kLockMask = 0x02;
constexpr std::uint16_t kControlMask = 0x04;
constexpr std::uint16_t kMod1Mask = 0x08;
constexpr std::uint16_t kMod4Mask = 0x40;

constexpr std::array<std::pair<std::uint16_t, std::uint64_t>, 5> kModifiers{{
    {kLockMask, modifier::capsLock},
    {kShiftMask, modifier::shift},
    {kControlMask, modifier::control},
    {kMod1Mask, modifier::option},
    {kMod4Mask, modifier::command},
}};

bool isArrow(std::uint16_t keyCode) {
    return keyCode >= kLeftArrow && keyCode <= kUpArrow;
}

} // namespace

std::uint16_t keyCodeForXKeycode(std::uint32_t xKeycode) {
    if (xKeycode < kEvdevOffset) {
        return kUnmappedKeyCode;
    }
    const std::uint32_t evdev = xKeycode - kEvdevOffset;
    for (const auto& [position, keyCode] : kKeysByPosition) {
        if (position == evdev) {
            return keyCode;
        }
    }
    return kUnmappedKeyCode;
}

std::uint64_t modifierFlagsForXState(std::uint16_t xModifiers) {
    std::uint64_t flags = 0;
    for (const auto& [mask, flag] : kModifiers) {
        if ((xModifiers & mask) != 0) {
            flags |= flag;
        }
    }
    return flags;
}

KeyEvent keyEventFor(std::uint32_t xKeycode, std::uint16_t xModifiers) {
    KeyEvent event;
    event.keyCode = keyCodeForXKeycode(xKeycode);
    event.modifierFlags = modifierFlagsForXState(xModifiers);
    if (isArrow(event.keyCode)) {
        event.modifierFlags |= modifier::numericPad | modifier::function;
    }
    return event;
}

} // namespace vantile
