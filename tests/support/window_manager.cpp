#include "support/window_manager.h"

#include <filesystem>
#include <fstream>

#include "support/client_window.h"
#include "support/ewmh.h"
#include "support/harness_error.h"
#include "support/paths.h"
#include "support/program_wait.h"
#include "support/struts.h"
#include "support/x_properties.h"
#include "support/x_server.h"

namespace vantile::test {

namespace {

constexpr auto kReadyDeadline = 10000ms;
constexpr auto kProbeMapInterval = 25ms;

ProcessOptions openboxOptions() {
    ProcessOptions options;
    options.argv = {"openbox", "--sm-disable", "--config-file",
                    testDataPath("openbox/rc.xml").string()};
    return options;
}

// IceWM may write into its configuration folder, so it gets a copy of the one in tests/data.
ProcessOptions icewmOptions(const ProgramHome& home) {
    const auto config = home.configHome() / "icewm";
    std::filesystem::copy(testDataPath("icewm"), config, std::filesystem::copy_options::recursive);
    ProcessOptions options;
    options.argv = {"icewm"};
    options.environment = {{"ICEWM_PRIVCFG", config.string()}};
    return options;
}

// Fluxbox makes its stock configuration in the fresh home it is given.
ProcessOptions fluxboxOptions() {
    ProcessOptions options;
    options.argv = {"fluxbox"};
    return options;
}

// i3's stock configuration, with the test's client windows floating: tiled windows are placed by
// i3 alone and ignore every request to move.
ProcessOptions i3Options(const ProgramHome& home) {
    const auto config = home.configHome() / "i3-config";
    std::filesystem::copy_file("/etc/i3/config", config);
    std::ofstream(config, std::ios::app)
        << "\nfor_window [class=\"VantileTestClient\"] floating enable\n";
    ProcessOptions options;
    options.argv = {"i3", "-c", config.string()};
    return options;
}

ProcessOptions xfwm4Options() {
    ProcessOptions options;
    options.argv = {"dbus-run-session", "xfwm4"};
    return options;
}

ProcessOptions optionsFor(WmKind kind, const ProgramHome& home) {
    switch (kind) {
    case WmKind::Openbox:
        return openboxOptions();
    case WmKind::IceWM:
        return icewmOptions(home);
    case WmKind::Fluxbox:
        return fluxboxOptions();
    case WmKind::I3:
        return i3Options(home);
    case WmKind::Xfwm4:
        return xfwm4Options();
    }
    return {};
}

// Fluxbox's toolbar reserves its space through the work area alone.
bool workAreaReserves(const XServer& server) {
    Atoms atoms(server.connection());
    const auto area = readProperty32(server.connection(), server.root(), atoms("_NET_WORKAREA"));
    return area && area->size() >= 4;
}

bool hasBottomStrut(const XServer& server) {
    for (const auto& strut : findStrutWindows(server.connection(), server.root())) {
        if (strut.bottom > 0) {
            return true;
        }
    }
    return false;
}

// What is still missing before the window manager counts as ready; empty when nothing is.
std::string missingForReadiness(const XServer& server, WmKind kind) {
    Atoms atoms(server.connection());
    if (!supportingWmCheck(server.connection(), atoms, server.root())) {
        return "a live window named by the root's _NET_SUPPORTING_WM_CHECK";
    }
    if (!wmSupports(server.connection(), atoms, server.root(), atoms("_NET_ACTIVE_WINDOW"))) {
        return "_NET_ACTIVE_WINDOW in the root's _NET_SUPPORTED";
    }
    if ((kind == WmKind::IceWM || kind == WmKind::I3) && !hasBottomStrut(server)) {
        return "a viewable panel window with a bottom strut";
    }
    if (kind == WmKind::Fluxbox && !workAreaReserves(server)) {
        return "the root's _NET_WORKAREA";
    }
    return {};
}

} // namespace

std::string_view nameOf(WmKind kind) {
    constexpr std::string_view names[] = {"Openbox", "IceWM", "Fluxbox", "i3", "xfwm4"};
    return names[static_cast<int>(kind)];
}

void PrintTo(WmKind kind, std::ostream* out) {
    *out << nameOf(kind);
}

WindowManager::WindowManager(WmKind kind, std::unique_ptr<ProgramHome> home, Process process)
    : kind_(kind), home_(std::move(home)), process_(std::move(process)) {}

std::unique_ptr<WindowManager> WindowManager::start(XServer& server, WmKind kind) {
    auto home = std::make_unique<ProgramHome>();
    ProcessOptions options = optionsFor(kind, *home);
    home->applyTo(options, server.display());
    // In the test's own process group it goes when the test is interrupted; xfwm4 starts its own
    // session bus, which must go with it.
    options.ownProcessGroup = kind == WmKind::Xfwm4;
    options.stdoutFile = home->root() / "window-manager.log";
    options.stderrFile = options.stdoutFile;
    std::unique_ptr<WindowManager> manager(
        new WindowManager(kind, std::move(home), Process(std::move(options))));
    manager->awaitAnnouncement(server);
    manager->awaitManagement(server);
    return manager;
}

void WindowManager::awaitAnnouncement(const XServer& server) const {
    std::string missing;
    const bool ready = waitWhileRunning(
        process_,
        [&] {
            missing = missingForReadiness(server, kind_);
            return missing.empty();
        },
        kReadyDeadline);
    if (!ready) {
        throw HarnessError(timeoutMessage(std::string(nameOf(kind_)) + " to announce itself (" +
                                              missing + " is missing)",
                                          kReadyDeadline, process_));
    }
}

// A window manager that has announced itself may still be starting, and Openbox drops the map
// requests that come then. It is ready once it manages a probe window, mapped again and again
// until it does; the probe is gone before the test goes on.
void WindowManager::awaitManagement(XServer& server) const {
    ClientWindowOptions probeOptions;
    probeOptions.title = "vantile-window-manager-probe";
    probeOptions.width = 1;
    probeOptions.height = 1;
    probeOptions.setPid = false;
    const auto probe = ClientWindow::create(server, probeOptions);
    const bool managed = waitWhileRunning(
        process_, [&] { return probe->tryMap(kProbeMapInterval); }, kReadyDeadline);
    if (!managed) {
        throw HarnessError(timeoutMessage(std::string(nameOf(kind_)) + " to manage a window",
                                          kReadyDeadline, process_));
    }
    probe->destroy();
}

} // namespace vantile::test
