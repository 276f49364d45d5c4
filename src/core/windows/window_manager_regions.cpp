// The region commands of the window manager: place the focused window on a region of its
// screen's layout by number, by stepping, or by direction.

#include <cmath>
#include <limits>

#include "core/windows/window_manager.h"

namespace vantile {

namespace {

enum class Direction { left, right, up, down };

Direction directionOf(WindowAction action) {
    switch (action) {
    case WindowAction::leftHalf:
        return Direction::left;
    case WindowAction::rightHalf:
        return Direction::right;
    case WindowAction::topHalf:
        return Direction::up;
    default:
        return Direction::down;
    }
}

Point centerOf(const FractionalRect& r) {
    return {r.x + r.width * 0.5, r.y + r.height * 0.5};
}

constexpr double deadBand = 0.01;

// How far a region lies in the direction (plus twice across it), or none when it does not lie
// beyond the dead band in that direction.
std::optional<double> score(Direction direction, double dx, double dy) {
    switch (direction) {
    case Direction::left:
        return dx < -deadBand ? std::optional(std::abs(dx) + 2 * std::abs(dy)) : std::nullopt;
    case Direction::right:
        return dx > deadBand ? std::optional(std::abs(dx) + 2 * std::abs(dy)) : std::nullopt;
    case Direction::up:
        return dy < -deadBand ? std::optional(std::abs(dy) + 2 * std::abs(dx)) : std::nullopt;
    case Direction::down:
        return dy > deadBand ? std::optional(std::abs(dy) + 2 * std::abs(dx)) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<Region> nearestInDirection(const std::vector<Region>& regions, const Region& current,
                                         Direction direction) {
    const Point c = centerOf(current.rect);
    std::optional<Region> best;
    double bestScore = std::numeric_limits<double>::max();
    for (const Region& region : regions) {
        if (region.id == current.id) {
            continue;
        }
        const Point center = centerOf(region.rect);
        const auto s = score(direction, center.x - c.x, center.y - c.y);
        if (s && *s < bestScore) {
            best = region;
            bestScore = *s;
        }
    }
    return best;
}

} // namespace

std::optional<Region> WindowManager::regionUnderWindowCenter(const Rect& frame,
                                                             const Screen& screen) const {
    const double height = screenDetection_->primaryHeight().value_or(screen.frame.height);
    return regionManager_.regionAtScreenPoint(flipPoint({frame.midX(), frame.midY()}, height),
                                              screen);
}

WindowManager::Plan WindowManager::regionPlan(const Target& target, const Region& region) {
    const Rect& v = target.visibleFrame;
    const FractionalRect& r = region.rect;
    return movePlan(target, Rect{v.x + r.x * v.width, v.y + r.y * v.height, r.width * v.width,
                                 r.height * v.height});
}

WindowManager::Plan WindowManager::planSnapToRegion(int index) {
    const auto target = preamble();
    if (!target) {
        return {};
    }
    const auto regions = regionManager_.regionsForScreen(target->screen);
    if (index < 0 || static_cast<std::size_t>(index) >= regions.size()) {
        return {};
    }
    return regionPlan(*target, regions[static_cast<std::size_t>(index)]);
}

WindowManager::Plan WindowManager::planCycleRegion(bool forward) {
    const auto target = preamble();
    if (!target) {
        return {};
    }
    const auto regions = regionManager_.regionsForScreen(target->screen);
    const std::size_t n = regions.size();
    if (n == 0) {
        return {};
    }
    std::size_t current = 0;
    if (const auto under = regionUnderWindowCenter(target->frame, target->screen)) {
        for (std::size_t i = 0; i < n; ++i) {
            if (regions[i].id == under->id) {
                current = i;
                break;
            }
        }
    }
    const std::size_t next = forward ? (current + 1) % n : (current + n - 1) % n;
    return regionPlan(*target, regions[next]);
}

WindowManager::Plan WindowManager::planAdjacentRegion(WindowAction direction) {
    const auto target = preamble();
    if (!target) {
        return {};
    }
    const auto regions = regionManager_.regionsForScreen(target->screen);
    if (regions.empty()) {
        return {};
    }
    const auto current = regionUnderWindowCenter(target->frame, target->screen);
    if (!current) {
        return regionPlan(*target, regions.front());
    }
    if (const auto best = nearestInDirection(regions, *current, directionOf(direction))) {
        return regionPlan(*target, *best);
    }
    return {};
}

} // namespace vantile
