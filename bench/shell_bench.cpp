// The program as a resident of the desktop: from starting `vantile` to its shortcuts moving a
// window, and what it costs while it waits afterwards with its tray menu built.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "bench_support.h"
#include "support/desktop.h"
#include "support/input_injection.h"
#include "support/process.h"
#include "support/wait.h"

using namespace vantile;
using namespace vantile::test;
using namespace vantile::bench;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int runs = 15;
const Rect target{0, 0, 960, 1080}; // Ctrl+Alt+Left on a 1920 x 1080 monitor
const Rect elsewhere{700, 250, 520, 400};

std::unique_ptr<Process> startInstance(const ProgramHome& home, const std::string& display) {
    ProcessOptions options;
    options.argv = {std::string(VANTILE_BINARY_DIR) + "/vantile"};
    options.outputFile = home.root() / "instance.log";
    options.endsWithStarter = false;
    home.applyTo(options, display);
    return std::make_unique<Process>(options);
}

// Milliseconds from starting the program to Ctrl+Alt+Left having moved the window, pressing the
// keys every 2 ms until it does; negative when it never does.
double launchToShortcut(Desktop& desktop, ClientWindow& window, InputInjector& input) {
    ProgramHome home;
    const std::vector<xcb_keycode_t> keys{input.keycodeOf(0xffe3), input.keycodeOf(0xffe9),
                                          input.keycodeOf(0xff51)};
    const auto start = Clock::now();
    auto instance = startInstance(home, desktop.server->display());
    bool arrived = false;
    while (!(arrived = standsAt(window, target)) && Clock::now() - start < 5s) {
        input.chord(keys);
        input.sync();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const auto end = Clock::now();
    instance->terminate();
    return arrived ? std::chrono::duration<double, std::milli>(end - start).count() : -1;
}

void moveAway(Desktop& desktop, ClientWindow& window) {
    Process move(wmctrlMove(desktop.server->display(), elsewhere, frameExtentsOf(window)));
    move.waitExit(5000ms);
    waitUntil([&] { return standsAt(window, elsewhere); }, 3000ms, 1ms);
}

void reportIdle(Desktop& desktop) {
    ProgramHome home;
    auto instance = startInstance(home, desktop.server->display());
    std::this_thread::sleep_for(std::chrono::seconds(2)); // set up, tray menu built
    const ProcessUsage before = usageOf(instance->pid());
    std::this_thread::sleep_for(std::chrono::seconds(30));
    const ProcessUsage after = usageOf(instance->pid());
    std::printf("instance idle for 30 s, set up, tray menu built:\n");
    std::printf("  CPU time used         : %.3f s\n", after.cpuSeconds - before.cpuSeconds);
    const WakeUps wakeUps = wakeUpsBetween(before, after);
    std::printf("  context switches      : %ld (all threads)\n", wakeUps.switches);
    // Qt lets idle workers of its thread pool go after 30 s: one last wake-up each, none of ours.
    std::printf("  threads ended         : %zu\n", wakeUps.threadsEnded);
    std::printf("  resident memory       : %.1f MB (target < 60 MB)\n", after.residentKiB / 1024.0);
}

} // namespace

int main() {
    auto desktop = Desktop::start(WmKind::Openbox, 1920, 1080);
    auto window = activeWindowAt(*desktop.server, elsewhere);
    InputInjector input(*desktop.server);
    std::vector<double> times;
    int failures = 0;
    for (int i = 0; i < runs; ++i) {
        moveAway(desktop, *window);
        const double ms = launchToShortcut(desktop, *window, input);
        if (ms < 0) {
            ++failures;
        } else {
            times.push_back(ms);
        }
    }
    if (times.empty()) {
        std::printf("the shortcut never moved the window (%d runs)\n", failures);
        return 1;
    }
    std::printf("launch to shortcuts live (Ctrl+Alt+Left moved the window), %zu runs, %d failed:\n",
                times.size(), failures);
    std::printf("  median                : %7.1f ms (target < 300 ms)\n", median(times));
    std::printf("  slowest               : %7.1f ms\n",
                *std::max_element(times.begin(), times.end()));
    reportIdle(desktop);
    return 0;
}
