#pragma once

// What the desktop benchmarks share: telling when a window stands at a frame, moving it with
// wmctrl, medians, and what a process has used.

#include <sys/types.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/client_window.h"
#include "support/process.h"
#include "support/x_server.h"

namespace vantile::bench {

// Whether the window's visible frame is the frame, to the pixel.
bool standsAt(test::ClientWindow& window, const Rect& frame);

// The window manager's frame around the client, as it publishes it.
struct FrameExtents {
    double left = 0, right = 0, top = 0, bottom = 0;
};
FrameExtents frameExtentsOf(test::ClientWindow& window);

// wmctrl moving the active window so that its visible frame becomes the frame (wmctrl takes the
// frame's corner and the client's size).
test::ProcessOptions wmctrlMove(const std::string& display, const Rect& frame,
                                const FrameExtents& extents);

// A mapped, active client window whose frame's corner is at the rect's corner.
std::unique_ptr<test::ClientWindow> activeWindowAt(test::XServer& server, const Rect& frame);

double median(std::vector<double> values);

struct ProcessUsage {
    double cpuSeconds = 0;
    long residentKiB = 0;
    long contextSwitches = 0;
    // Context switches by thread id.
    std::map<long, long> threadSwitches;
};
ProcessUsage usageOf(pid_t pid);

// Wake-ups between two readings of threads alive at both, and the threads that ended meanwhile.
struct WakeUps {
    long switches = 0;
    std::size_t threadsEnded = 0;
};
WakeUps wakeUpsBetween(const ProcessUsage& before, const ProcessUsage& after);

} // namespace vantile::bench
