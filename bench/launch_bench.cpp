// From launching a command to the focused window standing at its target: `vantile snap leftHalf`
// against `wmctrl -r :ACTIVE: -e ...` doing the same move, in the same run on the same desktop.
// Then the instance's footprint after it has been idle for ten seconds.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

#include "bench_support.h"
#include "support/client_window.h"
#include "support/desktop.h"
#include "support/vantile_program.h"
#include "support/wait.h"

using namespace vantile;
using namespace vantile::test;
using namespace vantile::bench;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int runs = 30;
const Rect target{0, 0, 960, 1080};       // the left half of a 1920 x 1080 monitor
const Rect elsewhere{700, 250, 520, 400}; // where each run starts from

// Milliseconds from starting the command to the window standing at the target; negative when it
// never got there.
double timeMove(ClientWindow& window, ProcessOptions command) {
    // Started directly, as a shell would, without the wrapper that ties test programs to the test.
    command.endsWithStarter = false;
    const auto start = Clock::now();
    Process process(std::move(command));
    // Polls often enough for sub-millisecond figures without taking a core from the programs
    // being measured (the machine may have only two).
    bool arrived = false;
    while (!(arrived = standsAt(window, target)) && Clock::now() - start < 3s) {
        std::this_thread::sleep_for(std::chrono::microseconds(250));
    }
    const auto end = Clock::now();
    process.waitExit(5000ms);
    return arrived ? std::chrono::duration<double, std::milli>(end - start).count() : -1;
}

bool reset(ClientWindow& window, const VantileProgram& vantile, const std::string& display,
           const FrameExtents& extents) {
    vantile.ping(); // the instance has finished its verification passes
    Process move(wmctrlMove(display, elsewhere, extents));
    move.waitExit(5000ms);
    return waitUntil([&] { return standsAt(window, elsewhere); }, 3000ms, 1ms);
}

} // namespace

int main() {
    auto desktop = Desktop::start(WmKind::Openbox, 1920, 1080);
    auto window = activeWindowAt(*desktop.server, elsewhere);
    const FrameExtents extents = frameExtentsOf(*window);
    auto vantile = VantileProgram::start(*desktop.server);

    std::vector<double> ours, theirs;
    int failures = 0;
    const std::string display = desktop.server->display();
    for (int i = 0; i < runs; ++i) {
        const bool resetA = reset(*window, *vantile, display, extents);
        const double a = timeMove(*window, vantile->commandOptions({"snap", "leftHalf"}));
        const bool resetB = reset(*window, *vantile, display, extents);
        const double b = timeMove(*window, wmctrlMove(display, target, extents));
        if (!resetA || !resetB || a < 0 || b < 0) {
            ++failures;
            continue;
        }
        ours.push_back(a);
        theirs.push_back(b);
    }
    if (ours.empty()) {
        std::printf("no run reached the target (%d failures)\n", failures);
        return 1;
    }
    const double m = median(ours), w = median(theirs);
    std::printf("launch to window at target, median of %zu runs (%d failed):\n", ours.size(),
                failures);
    std::printf("  vantile snap leftHalf : %7.2f ms\n", m);
    std::printf("  wmctrl -r :ACTIVE: -e : %7.2f ms\n", w);
    std::printf("  ratio vantile/wmctrl  : %7.2f (target <= 1.0)\n", m / w);

    const pid_t pid = vantile->pid();
    vantile->ping();
    const ProcessUsage before = usageOf(pid);
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const ProcessUsage after = usageOf(pid);
    std::printf("instance idle for 10 s:\n");
    std::printf("  CPU time used         : %.3f s\n", after.cpuSeconds - before.cpuSeconds);
    std::printf("  context switches      : %ld\n", after.contextSwitches - before.contextSwitches);
    std::printf("  resident memory       : %.1f MB (target < 40 MB)\n", after.residentKiB / 1024.0);
    return 0;
}
