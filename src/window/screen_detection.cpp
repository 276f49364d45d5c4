#include "window/screen_detection.h"

namespace vantile {

std::optional<double> ScreenDetection::primaryHeight() const {
    const auto list = screens_.screens();
    if (list.empty()) {
        return std::nullopt;
    }
    return list.front().frame.height;
}

std::optional<Screen> ScreenDetection::screenForFrame(const Rect& windowFrame) const {
    const auto list = screens_.screens();
    std::optional<Screen> best;
    double bestArea = 0;
    for (const Screen& screen : list) {
        const double height = list.front().frame.height;
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
    if (best) {
        return best;
    }
    if (list.empty()) {
        return std::nullopt;
    }
    return list.front();
}

Rect ScreenDetection::axVisibleFrame(const Screen& screen) const {
    const auto height = primaryHeight();
    if (!height) {
        return screen.visibleFrame;
    }
    return flipRect(screen.visibleFrame, *height);
}

} // namespace vantile
