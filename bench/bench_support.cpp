#include "bench_support.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vantile::bench {

bool standsAt(test::ClientWindow& window, const Rect& frame) {
    const Rect r = window.visibleFrameInRoot();
    return std::abs(r.x - frame.x) < 1 && std::abs(r.y - frame.y) < 1 &&
           std::abs(r.width - frame.width) < 1 && std::abs(r.height - frame.height) < 1;
}

FrameExtents frameExtentsOf(test::ClientWindow& window) {
    const auto items = test::readProperty32(window.connection(), window.id(),
                                            test::Atoms(window.connection())("_NET_FRAME_EXTENTS"));
    if (!items || items->size() != 4) {
        return {};
    }
    return {double((*items)[0]), double((*items)[1]), double((*items)[2]), double((*items)[3])};
}

test::ProcessOptions wmctrlMove(const std::string& display, const Rect& frame,
                                const FrameExtents& e) {
    std::ostringstream geometry;
    geometry << "0," << frame.x << "," << frame.y << "," << frame.width - e.left - e.right << ","
             << frame.height - e.top - e.bottom;
    test::ProcessOptions options;
    options.argv = {"wmctrl", "-r", ":ACTIVE:", "-e", geometry.str()};
    options.environment["DISPLAY"] = display;
    return options;
}

std::unique_ptr<test::ClientWindow> activeWindowAt(test::XServer& server, const Rect& frame) {
    test::ClientWindowOptions options;
    options.x = int(frame.x);
    options.y = int(frame.y);
    auto window = test::ClientWindow::create(server, options);
    window->map();
    window->activate();
    return window;
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return -1;
    }
    std::sort(values.begin(), values.end());
    const auto n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

namespace {

// Context switches of one thread, from its status file.
long contextSwitchesIn(const std::string& statusPath) {
    std::ifstream status(statusPath);
    long total = 0;
    for (std::string line; std::getline(status, line);) {
        std::istringstream words(line);
        std::string key;
        long value = 0;
        words >> key >> value;
        if (key == "voluntary_ctxt_switches:" || key == "nonvoluntary_ctxt_switches:") {
            total += value;
        }
    }
    return total;
}

} // namespace

ProcessUsage usageOf(pid_t pid) {
    ProcessUsage usage;
    const std::string proc = "/proc/" + std::to_string(pid);
    std::ifstream stat(proc + "/stat");
    const std::string text((std::istreambuf_iterator<char>(stat)), {});
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14 || i == 15) { // user and system time of all threads
            ticks += std::stod(field);
        }
    }
    usage.cpuSeconds = ticks / double(::sysconf(_SC_CLK_TCK));
    std::ifstream status(proc + "/status");
    for (std::string line; std::getline(status, line);) {
        std::istringstream words(line);
        std::string key;
        long value = 0;
        words >> key >> value;
        if (key == "VmRSS:") {
            usage.residentKiB = value;
        }
    }
    // Every thread's wake-ups, not only the main thread's.
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(proc + "/task", error)) {
        const long switches = contextSwitchesIn(task.path().string() + "/status");
        usage.threadSwitches[std::stol(task.path().filename().string())] = switches;
        usage.contextSwitches += switches;
    }
    return usage;
}

WakeUps wakeUpsBetween(const ProcessUsage& before, const ProcessUsage& after) {
    WakeUps wakeUps;
    for (const auto& [thread, switches] : before.threadSwitches) {
        const auto later = after.threadSwitches.find(thread);
        if (later == after.threadSwitches.end()) {
            ++wakeUps.threadsEnded;
        } else {
            wakeUps.switches += later->second - switches;
        }
    }
    return wakeUps;
}

} // namespace vantile::bench
