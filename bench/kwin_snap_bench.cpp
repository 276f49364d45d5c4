// From the start of `vantile snap leftHalf` to the client window at the left half on a real,
// headless KWin, against the floor: KWin moving the window from a one-shot script that two
// `dbus-send` calls load and start, as any program can without a script of its own standing by.
// Both are timed in turns in the same run, each from the same rest, until the client learns its
// new size. The client prints that moment on the monotonic clock, so telling it costs neither
// contender anything, where asking KWin through a script would cost milliseconds each time; what
// follows it (the client redrawing, KWin taking the frame) is the same for both.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <functional>
#include <thread>
#include <utility>

#include "bench_support.h"
#include "resize_reports.h"
#include "support/harness_error.h"
#include "support/vantile_program.h"
#include "support/wait.h"
#include "wayland/kwin_desktop.h"

using namespace vantile;
using namespace vantile::test;
using namespace vantile::bench;

namespace {

constexpr int runs = 25;
const std::string title = "Snap Bench";
// The left half of the one 1280x800 output, and where every turn starts from: of another size, so
// that each move resizes the client and the client reports it.
const Rect target{0, 0, 640, 800};
const Rect rest{300, 200, 400, 300};
constexpr auto quietStart = 50ms;
// vantile stops waiting for a frame it set half a second after setting it; a turn begins once that
// has passed, so that nothing of the turn before runs in it.
constexpr auto afterArrival = 600ms;
constexpr auto arrivalDeadline = 3000ms;

// One way to move the active window to the target: started the moment it is timed from, and
// finished once the window is there (its processes ended, its script unloaded); true when all
// went well.
struct Contender {
    std::function<void()> start;
    std::function<bool()> finish;
};

// Blocks until the child has ended, without reaping it (its Process does that), so that the next
// step follows at once rather than at the next poll.
void awaitEnd(const Process& process) {
    siginfo_t info{};
    while (::waitid(P_PID, id_t(process.pid()), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
}

// Benchmarks start programs directly, as a shell would.
ProcessOptions direct(ProcessOptions options) {
    options.endsWithStarter = false;
    options.outputFile = "/dev/null";
    return options;
}

Contender vantileSnap(const VantileProgram& vantile, std::unique_ptr<Process>& command) {
    const auto options = direct(vantile.commandOptions({"snap", "leftHalf"}));
    return {[&command, options] { command = std::make_unique<Process>(options); },
            [&command] { return std::exchange(command, nullptr)->waitExit(5000ms) == 0; }};
}

ProcessOptions scripting(const KWinDesktop& kwin, const std::vector<std::string>& call) {
    ProcessOptions options{.argv = {"dbus-send", "--session", "--print-reply", "--type=method_call",
                                    "--dest=org.kde.KWin", "/Scripting"},
                           .environment = kwin.environment()};
    options.argv.insert(options.argv.end(), call.begin(), call.end());
    return direct(options);
}

// The floor's state between its start and its finish.
struct FloorTurn {
    int count = 0;
    std::string name;
    std::unique_ptr<Process> load, run;
};

// Each turn loads the script under a name of its own, so that the one before, unloaded, cannot be
// taken for it.
Contender floorMove(const KWinDesktop& kwin, const std::filesystem::path& script, FloorTurn& turn) {
    const auto start = [&kwin, script, &turn] {
        turn.name = "vantile-bench-floor-" + std::to_string(++turn.count);
        const auto load = scripting(kwin, {"org.kde.kwin.Scripting.loadScript",
                                           "string:" + script.string(), "string:" + turn.name});
        const auto run = scripting(kwin, {"org.kde.kwin.Scripting.start"});
        turn.load = std::make_unique<Process>(load);
        awaitEnd(*turn.load);
        turn.run = std::make_unique<Process>(run);
    };
    const auto finish = [&kwin, &turn] {
        const bool ran = turn.load->waitExit(5000ms) == 0 && turn.run->waitExit(5000ms) == 0;
        return kwin.dbusCall({"--dest=org.kde.KWin", "/Scripting",
                              "org.kde.kwin.Scripting.unloadScript", "string:" + turn.name}) &&
               ran;
    };
    return {start, finish};
}

bool windowAt(KWinDesktop& kwin, const Rect& frame) {
    return waitUntil([&] { return kwin.frameOf(title) == frame; }, 3000ms, 5ms);
}

struct Bench {
    KWinDesktop& kwin;
    const VantileProgram& vantile;
    ResizeReports& reports;
    ReportedSize atTarget;
};

// Milliseconds from the contender's start to the client at the target's size; none when it did
// not get there, or the window did not start from rest.
std::optional<double> timeTurn(Bench& bench, const Contender& contender) {
    bench.kwin.place(title, rest);
    if (!windowAt(bench.kwin, rest) || !bench.vantile.ping()) {
        return std::nullopt;
    }
    // Whatever settling started (the ping's process, KWin's reports to vantile) has ended.
    std::this_thread::sleep_for(quietStart);
    bench.reports.latest();
    const long long since = monotonicMicros();
    contender.start();
    const auto arrived = bench.reports.arrival(bench.atTarget, since, arrivalDeadline);
    const bool finished = contender.finish();
    const bool there = windowAt(bench.kwin, target);
    std::this_thread::sleep_for(afterArrival);
    if (!arrived || !finished || !there) {
        return std::nullopt;
    }
    return double(*arrived - since) / 1000;
}

// The contenders timed in turns, each going first every other turn, so that the machine's drift
// falls on both alike.
std::vector<std::vector<double>> measure(Bench& bench, const std::vector<Contender>& contenders) {
    std::vector<std::vector<double>> times(contenders.size());
    for (int i = 0; i < runs; ++i) {
        for (std::size_t k = 0; k < contenders.size(); ++k) {
            const std::size_t c = (k + std::size_t(i)) % contenders.size();
            if (const auto t = timeTurn(bench, contenders[c])) {
                times[c].push_back(*t);
            }
        }
    }
    return times;
}

void printFigures(const char* name, const std::vector<double>& times) {
    if (times.empty()) {
        std::printf("  %-34s: no run reached the target\n", name);
        return;
    }
    const auto [least, most] = std::ranges::minmax(times);
    std::printf("  %-34s: %7.2f ms median (min %.2f, max %.2f) over %zu runs\n", name,
                median(times), least, most, times.size());
}

// What vantile needs of KWin's session; its home stays its own.
std::map<std::string, std::string> sessionOf(const KWinDesktop& kwin) {
    auto environment = kwin.environment();
    std::erase_if(environment, [](const auto& entry) {
        return entry.first != "DBUS_SESSION_BUS_ADDRESS" && entry.first != "WAYLAND_DISPLAY";
    });
    return environment;
}

int run() {
    KWinDesktop kwin;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        throw HarnessError("no pipe for the client's reports");
    }
    UniqueFd writeEnd(ends[1]);
    ResizeReports reports{UniqueFd(ends[0])};
    auto client = kwin.startClient(title, 400, 300, writeEnd.get());
    writeEnd.reset(); // so that the pipe ends with the client
    auto vantile = VantileProgram::startOn(sessionOf(kwin), {"--desktop", "kwin"});

    // The client's size at the target, as vantile's own move leaves it.
    vantile->snap("leftHalf");
    const auto atTarget = windowAt(kwin, target) ? reports.latest() : std::nullopt;
    if (!atTarget) {
        throw HarnessError("the window did not reach the left half: " + vantile->report());
    }
    TempDir folder("vantile-kwin-bench");
    const auto script = folder.path() / "floor.js";
    std::ofstream(script) << "workspace.activeClient.frameGeometry = {x: " << target.x
                          << ", y: " << target.y << ", width: " << target.width
                          << ", height: " << target.height << "};\n";

    Bench bench{kwin, *vantile, reports, *atTarget};
    std::unique_ptr<Process> command;
    FloorTurn floorTurn;
    const auto times =
        measure(bench, {vantileSnap(*vantile, command), floorMove(kwin, script, floorTurn)});
    const auto &ours = times[0], &floor = times[1];

    std::printf(
        "`vantile snap leftHalf` to the client at the left half, headless KWin, %d turns:\n", runs);
    printFigures("vantile snap", ours);
    printFigures("floor: one-shot script, dbus-send", floor);
    if (!ours.empty() && !floor.empty()) {
        std::printf("  %-34s: %7.2f (target <= 1.0)\n", "ratio vantile/floor",
                    median(ours) / median(floor));
    }
    return ours.empty() || floor.empty() ? 1 : 0;
}

} // namespace

int main() {
    try {
        return run();
    } catch (const HarnessError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
