#include "core/windows/window_action.h"

namespace vantile {

namespace {
constexpr std::array<std::string_view, 15> rawValues = {
    "leftHalf",   "rightHalf",  "topHalf",        "bottomHalf", "topLeft",
    "topRight",   "bottomLeft", "bottomRight",    "leftThird",  "centerThird",
    "rightThird", "maximize",   "almostMaximize", "center",     "restore",
};
constexpr double almostMaximizeInset = 20;
} // namespace

std::string_view rawValue(WindowAction action) {
    return rawValues.at(static_cast<std::size_t>(action));
}

std::optional<WindowAction> windowActionFromRawValue(std::string_view raw) {
    for (WindowAction action : allWindowActions) {
        if (rawValue(action) == raw) {
            return action;
        }
    }
    return std::nullopt;
}

std::optional<Rect> targetFrame(WindowAction action, const Rect& v) {
    const double X = v.x, Y = v.y, W = v.width, H = v.height;
    switch (action) {
    case WindowAction::leftHalf:
        return Rect{X, Y, W / 2, H};
    case WindowAction::rightHalf:
        return Rect{X + W / 2, Y, W / 2, H};
    case WindowAction::topHalf:
        return Rect{X, Y, W, H / 2};
    case WindowAction::bottomHalf:
        return Rect{X, Y + H / 2, W, H / 2};
    case WindowAction::topLeft:
        return Rect{X, Y, W / 2, H / 2};
    case WindowAction::topRight:
        return Rect{X + W / 2, Y, W / 2, H / 2};
    case WindowAction::bottomLeft:
        return Rect{X, Y + H / 2, W / 2, H / 2};
    case WindowAction::bottomRight:
        return Rect{X + W / 2, Y + H / 2, W / 2, H / 2};
    case WindowAction::leftThird:
        return Rect{X, Y, W / 3, H};
    case WindowAction::centerThird:
        return Rect{X + W / 3, Y, W / 3, H};
    case WindowAction::rightThird:
        return Rect{X + (W + W) / 3, Y, W / 3, H};
    case WindowAction::maximize:
        return v;
    case WindowAction::almostMaximize:
        return Rect{X + almostMaximizeInset, Y + almostMaximizeInset, W - 2 * almostMaximizeInset,
                    H - 2 * almostMaximizeInset};
    case WindowAction::center:
    case WindowAction::restore:
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace vantile
