#include "backends/x11/x11_keys.h"

#include <array>
#include <utility>

namespace vantile {
namespace {

constexpr std::uint32_t kEvdevOffset = 8;

// evdev code → key code of the same position on a US keyboard: every key a chord can name.
constexpr std::array<std::pair<std::uint16_t, std::uint16_t>, 61> kKeysByPosition{{
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
    {12, 27},   // -
    {13, 24},   // =
    {14, 51},   // Backspace
    {15, 48},   // Tab
    {16, 12},   // Q
    {17, 13},   // W
    {18, 14},   // E
    {19, 15},   // R
    {20, 17},   // T
    {21, 16},   // Y
    {22, 32},   // U
    {23, 34},   // I
    {24, 31},   // O
    {25, 35},   // P
    {26, 33},   // [
    {27, 30},   // ]
    {28, 36},   // Return
    {30, 0},    // A
    {31, 1},    // S
    {32, 2},    // D
    {33, 3},    // F
    {34, 5},    // G
    {35, 4},    // H
    {36, 38},   // J
    {37, 40},   // K
    {38, 37},   // L
    {39, 41},   // ;
    {40, 39},   // '
    {41, 50},   // `
    {43, 42},   // backslash
    {44, 6},    // Z
    {45, 7},    // X
    {46, 8},    // C
    {47, 9},    // V
    {48, 11},   // B
    {49, 45},   // N
    {50, 46},   // M
    {51, 43},   // ,
    {52, 47},   // .
    {53, 44},   // /
    {57, 49},   // Space
    {102, 115}, // Home
    {103, 126}, // Up
    {104, 116}, // PgUp
    {105, 123}, // Left
    {106, 124}, // Right
    {107, 119}, // End
    {108, 125}, // Down
    {109, 121}, // PgDown
    {111, 117}, // Del
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

std::optional<std::uint8_t> xKeycodeForKeyCode(std::uint16_t keyCode) {
    for (const auto& [position, code] : kKeysByPosition) {
        if (code == keyCode) {
            return static_cast<std::uint8_t>(position + kEvdevOffset);
        }
    }
    return std::nullopt;
}

std::uint16_t xStateForModifierFlags(std::uint64_t flags) {
    std::uint16_t state = 0;
    for (const auto& [mask, flag] : kModifiers) {
        if ((flags & flag) != 0) {
            state |= mask;
        }
    }
    return state;
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
