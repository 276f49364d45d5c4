#pragma once

#include <optional>
#include <vector>

#include "base/uuid.h"
#include "core/windows/window_action.h"
#include "platform/platform.h"

namespace vantile {

// Where a drag ends: near an edge or corner of a screen, with the action a release performs and
// the preview's frame (screen space).
struct SnapZone {
    Screen screen;
    WindowAction action;
    Rect rect;
    std::optional<Uuid> regionID;

    // The same zone: same action on the same screen, whatever the rect.
    bool sameZone(const SnapZone& other) const {
        return action == other.action && screen == other.screen;
    }
};

// A screen catches the pointer within this distance outside its frame...
inline constexpr double zoneCatchMargin = 10;
// ...and an edge is near when the pointer is closer than this to it.
inline constexpr double zoneEdgeDistance = 5;

// The zone for a pointer position in screen space, by the first screen in list order that has
// one; none away from every edge.
std::optional<SnapZone> zoneAt(const Point& p, const std::vector<Screen>& screens);

} // namespace vantile
