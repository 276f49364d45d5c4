#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "base/geometry.h"

namespace vantile {

// The fixed snap positions. The raw value of each case is its name; the declaration order is
// the order of allCases.
enum class WindowAction {
    leftHalf,
    rightHalf,
    topHalf,
    bottomHalf,
    topLeft,
    topRight,
    bottomLeft,
    bottomRight,
    leftThird,
    centerThird,
    rightThird,
    maximize,
    almostMaximize,
    center,
    restore,
};

inline constexpr std::array<WindowAction, 15> allWindowActions = {
    WindowAction::leftHalf,       WindowAction::rightHalf,   WindowAction::topHalf,
    WindowAction::bottomHalf,     WindowAction::topLeft,     WindowAction::topRight,
    WindowAction::bottomLeft,     WindowAction::bottomRight, WindowAction::leftThird,
    WindowAction::centerThird,    WindowAction::rightThird,  WindowAction::maximize,
    WindowAction::almostMaximize, WindowAction::center,      WindowAction::restore,
};

std::string_view rawValue(WindowAction action);

// Exact, case-sensitive match of a raw value; anything else gives none.
std::optional<WindowAction> windowActionFromRawValue(std::string_view raw);

// The frame an action gives within a visible frame (top-left, y-down space); none for "center"
// and "restore", which depend on the window rather than on the screen alone.
std::optional<Rect> targetFrame(WindowAction action, const Rect& visibleFrame);

} // namespace vantile
