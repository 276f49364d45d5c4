#include "support/monitors.h"

#include <xcb/randr.h>

#include <algorithm>
#include <set>

#include "support/harness_error.h"
#include "support/x_properties.h"
#include "support/xcb_handles.h"

namespace vantile::test {

namespace {

// Physical sizes are made up from a 96 dpi screen; RandR wants them but nothing here uses them.
int millimetres(int pixels) {
    return std::max(1, pixels * 254 / 960);
}

std::string geometryArgument(const WantedMonitor& monitor) {
    return std::to_string(monitor.width) + "/" + std::to_string(millimetres(monitor.width)) + "x" +
           std::to_string(monitor.height) + "/" + std::to_string(millimetres(monitor.height)) +
           "+" + std::to_string(monitor.x) + "+" + std::to_string(monitor.y);
}

void checkRequest(const std::vector<WantedMonitor>& wanted, const std::string& outputName) {
    if (wanted.empty()) {
        throw HarnessError("setMonitors needs at least one monitor (clearMonitors restores the "
                           "automatic one)");
    }
    std::set<std::string> names;
    for (const auto& monitor : wanted) {
        if (monitor.name.empty() || monitor.name.front() == '*' || monitor.name == outputName ||
            !names.insert(monitor.name).second) {
            throw HarnessError("cannot set a monitor named \"" + monitor.name +
                               "\": names must be unique, not empty, not start with '*' and "
                               "differ from the output name " +
                               outputName);
        }
        if (monitor.width <= 0 || monitor.height <= 0 || monitor.x < 0 || monitor.y < 0) {
            throw HarnessError("cannot set the monitor " + describe(std::vector{monitor}));
        }
    }
}

bool sameMonitor(const MonitorInfo& actual, const WantedMonitor& wanted) {
    return actual.name == wanted.name && actual.x == wanted.x && actual.y == wanted.y &&
           actual.width == wanted.width && actual.height == wanted.height && !actual.automatic;
}

} // namespace

std::vector<MonitorInfo> queryMonitors(xcb_connection_t* connection, xcb_window_t root) {
    XcbReply<xcb_randr_get_monitors_reply_t> reply(xcb_randr_get_monitors_reply(
        connection, xcb_randr_get_monitors(connection, root, 1), nullptr));
    if (!reply) {
        throw HarnessError("the X server did not answer a RandR get_monitors request");
    }
    Atoms atoms(connection);
    std::vector<MonitorInfo> monitors;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem > 0;
         xcb_randr_monitor_info_next(&it)) {
        const xcb_randr_monitor_info_t& info = *it.data;
        monitors.push_back({atoms.nameOf(info.name), info.x, info.y, info.width, info.height,
                            info.primary != 0, info.automatic != 0});
    }
    return monitors;
}

std::vector<std::string> xrandrClearArguments(const std::vector<MonitorInfo>& current) {
    std::vector<std::string> arguments;
    for (const auto& monitor : current) {
        if (!monitor.automatic) {
            arguments.insert(arguments.end(), {"--delmonitor", monitor.name});
        }
    }
    return arguments;
}

std::vector<std::string> xrandrMonitorArguments(const std::vector<MonitorInfo>& current,
                                                const std::vector<WantedMonitor>& wanted,
                                                const std::string& outputName) {
    checkRequest(wanted, outputName);
    // xrandr carries out its options in order, and cannot set a monitor whose name is taken.
    auto arguments = xrandrClearArguments(current);
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        const bool first = i == 0;
        arguments.insert(arguments.end(),
                         {"--setmonitor", (first ? "*" : "") + wanted[i].name,
                          geometryArgument(wanted[i]), first ? outputName : "none"});
    }
    return arguments;
}

bool monitorsMatch(const std::vector<MonitorInfo>& actual,
                   const std::vector<WantedMonitor>& wanted) {
    if (actual.size() != wanted.size()) {
        return false;
    }
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        const auto found = std::find_if(actual.begin(), actual.end(), [&](const MonitorInfo& m) {
            return sameMonitor(m, wanted[i]);
        });
        if (found == actual.end() || found->primary != (i == 0)) {
            return false;
        }
    }
    return true;
}

std::string describe(const std::vector<MonitorInfo>& monitors) {
    std::string text = "[";
    for (const auto& m : monitors) {
        text += (text.size() > 1 ? ", " : "") + m.name + " " + std::to_string(m.width) + "x" +
                std::to_string(m.height) + "+" + std::to_string(m.x) + "+" + std::to_string(m.y) +
                (m.primary ? " primary" : "") + (m.automatic ? " automatic" : "");
    }
    return text + "]";
}

std::string describe(const std::vector<WantedMonitor>& monitors) {
    std::vector<MonitorInfo> infos;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const auto& m = monitors[i];
        infos.push_back({m.name, m.x, m.y, m.width, m.height, i == 0, false});
    }
    return describe(infos);
}

} // namespace vantile::test
