#include "core/windows/screen_detection.h"

namespace vantile {

namespace {

std::optional<Screen> bestScreen(const std::vector<Screen>& list, const Rect& windowFrame) {
    if (list.empty()) {
        return std::nullopt;
    }
    const double height = list.front().frame.height;
    std::optional<Screen> best;
    double bestArea = 0;
    for (const Screen& screen : list) {
        const auto overlap = intersection(flipRect(screen.frame, height), windowFrame);
        if (!overlap) {
            continue;
        }
        const double area = overlap->width * overlap->height;
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    return best ? best : list.front();
}

Rect visibleFrameIn(const std::vector<Screen>& list, const Screen& screen) {
    if (list.empty()) {
        return screen.visibleFrame;
    }
    return flipRect(screen.visibleFrame, list.front().frame.height);
}

} // namespace

std::optional<double> ScreenDetection::primaryHeight() const {
    const auto list = screens_.screens();
    if (list.empty()) {
        return std::nullopt;
    }
    return list.front().frame.height;
}

std::optional<Screen> ScreenDetection::screenForFrame(const Rect& windowFrame) const {
    return bestScreen(screens_.screens(), windowFrame);
}

Rect ScreenDetection::axVisibleFrame(const Screen& screen) const {
    return visibleFrameIn(screens_.screens(), screen);
}

std::optional<ScreenPlacement> ScreenDetection::placementForFrame(const Rect& windowFrame) const {
    const auto list = screens_.screens();
    const auto screen = bestScreen(list, windowFrame);
    if (!screen) {
        return std::nullopt;
    }
    return ScreenPlacement{*screen, visibleFrameIn(list, *screen)};
}

} // namespace vantile
