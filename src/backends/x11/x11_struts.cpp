#include "backends/x11/x11_struts.h"

#include <algorithm>

namespace vantile {
namespace {

constexpr double kMinUsableSide = 100;

// Start and end are inclusive pixel positions along the edge.
double spanLength(std::uint32_t start, std::uint32_t end) {
    return end >= start ? static_cast<double>(end) - start + 1 : 0;
}

void addStrut(std::vector<Strut>& struts, Edge edge, const Rect& area) {
    if (area.width > 0 && area.height > 0) {
        struts.push_back({edge, area});
    }
}

} // namespace

std::vector<Strut> strutsOf(std::span<const std::uint32_t> partial,
                            std::span<const std::uint32_t> legacy, const Size& rootSize) {
    std::vector<std::uint32_t> v(12, 0);
    if (partial.size() >= 12) {
        std::copy_n(partial.begin(), 12, v.begin());
    } else if (legacy.size() >= 4) {
        std::copy_n(legacy.begin(), 4, v.begin());
        const auto w = static_cast<std::uint32_t>(rootSize.width);
        const auto h = static_cast<std::uint32_t>(rootSize.height);
        v[5] = v[7] = h > 0 ? h - 1 : 0;
        v[9] = v[11] = w > 0 ? w - 1 : 0;
    } else {
        return {};
    }
    const double left = v[0], right = v[1], top = v[2], bottom = v[3];
    std::vector<Strut> struts;
    addStrut(struts, Edge::left, {0, double(v[4]), left, spanLength(v[4], v[5])});
    addStrut(struts, Edge::right,
             {rootSize.width - right, double(v[6]), right, spanLength(v[6], v[7])});
    addStrut(struts, Edge::top, {double(v[8]), 0, spanLength(v[8], v[9]), top});
    addStrut(struts, Edge::bottom,
             {double(v[10]), rootSize.height - bottom, spanLength(v[10], v[11]), bottom});
    return struts;
}

std::vector<Strut> workAreaStruts(const Rect& workArea, const Size& rootSize,
                                  std::span<const Strut> struts) {
    const double w = rootSize.width, h = rootSize.height;
    if (workArea.width <= 0 || workArea.height <= 0 || workArea.maxX() > w || workArea.maxY() > h) {
        return {};
    }
    // How far in from each root edge the struts reach.
    double left = 0, right = 0, top = 0, bottom = 0;
    for (const Strut& strut : struts) {
        switch (strut.edge) {
        case Edge::left:
            left = std::max(left, strut.area.maxX());
            break;
        case Edge::right:
            right = std::max(right, w - strut.area.minX());
            break;
        case Edge::top:
            top = std::max(top, strut.area.maxY());
            break;
        case Edge::bottom:
            bottom = std::max(bottom, h - strut.area.minY());
            break;
        }
    }
    std::vector<Strut> extra;
    if (workArea.minX() > left) {
        addStrut(extra, Edge::left, {0, 0, workArea.minX(), h});
    }
    if (w - workArea.maxX() > right) {
        addStrut(extra, Edge::right, {workArea.maxX(), 0, w - workArea.maxX(), h});
    }
    if (workArea.minY() > top) {
        addStrut(extra, Edge::top, {0, 0, w, workArea.minY()});
    }
    if (h - workArea.maxY() > bottom) {
        addStrut(extra, Edge::bottom, {0, workArea.maxY(), w, h - workArea.maxY()});
    }
    return extra;
}

Rect usableArea(const Rect& monitor, std::span<const Strut> struts) {
    double x0 = monitor.minX(), y0 = monitor.minY(), x1 = monitor.maxX(), y1 = monitor.maxY();
    for (const Strut& strut : struts) {
        if (!intersection(strut.area, monitor)) {
            continue;
        }
        switch (strut.edge) {
        case Edge::left:
            x0 = std::max(x0, strut.area.maxX());
            break;
        case Edge::right:
            x1 = std::min(x1, strut.area.minX());
            break;
        case Edge::top:
            y0 = std::max(y0, strut.area.maxY());
            break;
        case Edge::bottom:
            y1 = std::min(y1, strut.area.minY());
            break;
        }
    }
    // Any program may reserve any space: what is left is kept within the monitor, and a monitor
    // left with no room worth placing a window in counts as a whole.
    x0 = std::clamp(x0, monitor.minX(), monitor.maxX());
    x1 = std::clamp(x1, monitor.minX(), monitor.maxX());
    y0 = std::clamp(y0, monitor.minY(), monitor.maxY());
    y1 = std::clamp(y1, monitor.minY(), monitor.maxY());
    if (x1 - x0 < kMinUsableSide || y1 - y0 < kMinUsableSide) {
        return monitor;
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

} // namespace vantile
