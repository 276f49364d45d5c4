#pragma once

// RandR monitors of a test X server: the ones a test asks for, the ones the server reports, and
// the xrandr command line that turns the one into the other.

#include <xcb/xcb.h>

#include <string>
#include <vector>

namespace vantile::test {

// A monitor a test asks for, in root pixels. The first of a list becomes the primary monitor.
struct WantedMonitor {
    std::string name{};
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// A monitor as RandR reports it.
struct MonitorInfo {
    std::string name{};
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool primary = false;
    bool automatic = false;
};

// The monitors the server reports now (RandR 1.5 get_monitors), in its order.
std::vector<MonitorInfo> queryMonitors(xcb_connection_t* connection, xcb_window_t root);

// The xrandr arguments (after "xrandr") that delete the monitors set before and set the wanted
// ones: the first takes the server's one output, which replaces the automatic monitor, and is
// made primary; the others have no output. Throws HarnessError for a list xrandr cannot set.
std::vector<std::string> xrandrMonitorArguments(const std::vector<MonitorInfo>& current,
                                                const std::vector<WantedMonitor>& wanted,
                                                const std::string& outputName);

// The xrandr arguments that delete every monitor set before, bringing the automatic one back.
std::vector<std::string> xrandrClearArguments(const std::vector<MonitorInfo>& current);

// Whether the server reports exactly the wanted monitors, the first of them primary.
bool monitorsMatch(const std::vector<MonitorInfo>& actual,
                   const std::vector<WantedMonitor>& wanted);

std::string describe(const std::vector<MonitorInfo>& monitors);
std::string describe(const std::vector<WantedMonitor>& monitors);

} // namespace vantile::test
