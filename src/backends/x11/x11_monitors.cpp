#include "backends/x11/x11_monitors.h"

namespace vantile {
namespace {

std::vector<X11Monitor> activeMonitors(const xcb_randr_get_monitors_reply_t& reply) {
    std::vector<X11Monitor> monitors;
    bool primaryFound = false;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(&reply); it.rem > 0;
         xcb_randr_monitor_info_next(&it)) {
        const xcb_randr_monitor_info_t& info = *it.data;
        if (info.width == 0 || info.height == 0) {
            continue;
        }
        X11Monitor monitor{info.name,
                           Rect{static_cast<double>(info.x), static_cast<double>(info.y),
                                static_cast<double>(info.width), static_cast<double>(info.height)}};
        // Only one monitor can be primary; without any, the first one the server lists is.
        if (info.primary != 0 && !primaryFound) {
            primaryFound = true;
            monitors.insert(monitors.begin(), monitor);
        } else {
            monitors.push_back(monitor);
        }
    }
    return monitors;
}

} // namespace

MonitorLayoutRequest::MonitorLayoutRequest(X11Connection& connection)
    : root_(connection, xcb_get_geometry(connection.raw(), connection.root())) {
    if (connection.hasRandrMonitors()) {
        monitors_ = Pending<&xcb_randr_get_monitors_reply>(
            connection, xcb_randr_get_monitors(connection.raw(), connection.root(), 1));
    }
}

MonitorLayout MonitorLayoutRequest::get() {
    MonitorLayout layout;
    if (auto root = root_.get()) {
        layout.rootSize = {static_cast<double>(root->width), static_cast<double>(root->height)};
    }
    if (auto reply = monitors_.get()) {
        layout.monitors = activeMonitors(*reply);
    }
    if (layout.monitors.empty() && layout.rootSize.width > 0 && layout.rootSize.height > 0) {
        layout.monitors.push_back(
            {XCB_ATOM_NONE, Rect{0, 0, layout.rootSize.width, layout.rootSize.height}});
    }
    return layout;
}

} // namespace vantile
