#include "core/input/snap_zone.h"

#include <cmath>

namespace vantile {

namespace {

bool near(double distance) {
    return distance < zoneEdgeDistance;
}

// Screen space has y upward: the top edge is maxY and the upper half starts at Y + H/2.
std::optional<std::pair<WindowAction, Rect>> zoneOfScreen(const Point& p, const Screen& screen) {
    const Rect& f = screen.frame;
    const Rect& v = screen.visibleFrame;
    const bool left = near(std::abs(p.x - f.minX()));
    const bool right = near(std::abs(p.x - f.maxX()));
    const bool top = near(std::abs(p.y - f.maxY()));
    const bool bottom = near(std::abs(p.y - f.minY()));
    const double X = v.x, Y = v.y, W = v.width, H = v.height;
    if (left && top) {
        return {{WindowAction::topLeft, {X, Y + H / 2, W / 2, H / 2}}};
    }
    if (right && top) {
        return {{WindowAction::topRight, {X + W / 2, Y + H / 2, W / 2, H / 2}}};
    }
    if (left && bottom) {
        return {{WindowAction::bottomLeft, {X, Y, W / 2, H / 2}}};
    }
    if (right && bottom) {
        return {{WindowAction::bottomRight, {X + W / 2, Y, W / 2, H / 2}}};
    }
    if (left) {
        return {{WindowAction::leftHalf, {X, Y, W / 2, H}}};
    }
    if (right) {
        return {{WindowAction::rightHalf, {X + W / 2, Y, W / 2, H}}};
    }
    if (top) {
        return {{WindowAction::maximize, v}};
    }
    if (bottom) {
        return {{WindowAction::bottomHalf, {X, Y, W, H / 2}}};
    }
    return std::nullopt;
}

} // namespace

std::optional<SnapZone> zoneAt(const Point& p, const std::vector<Screen>& screens) {
    for (const Screen& screen : screens) {
        if (!contains(inset(screen.frame, -zoneCatchMargin, -zoneCatchMargin), p)) {
            continue;
        }
        if (const auto zone = zoneOfScreen(p, screen)) {
            return SnapZone{screen, zone->first, zone->second, std::nullopt};
        }
    }
    return std::nullopt;
}

} // namespace vantile
