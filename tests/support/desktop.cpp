#include "support/desktop.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/unique_fd.h"
#include "support/client_window.h"
#include "support/titled_windows.h"
#include "support/wait.h"

namespace vantile::test {

namespace {

// The line Xvfb writes on its descriptor 3 once it accepts connections; empty when it ends first.
std::string readDisplayNumber(int fd) {
    std::string text;
    char c = 0;
    pollfd pending{fd, POLLIN, 0};
    while (poll(&pending, 1, 10000) == 1 && read(fd, &c, 1) == 1 && c != '\n') {
        text += c;
    }
    return c == '\n' ? text : "";
}

ProcessOptions windowManagerOptions(WmKind kind, const ProgramHome& home) {
    const std::filesystem::path data = VANTILE_TEST_DATA_DIR;
    ProcessOptions options;
    switch (kind) {
    case WmKind::Openbox:
        options.argv = {"openbox", "--sm-disable", "--config-file", data / "openbox/rc.xml"};
        break;
    case WmKind::IceWM: // it may write into its configuration folder, so it gets a copy
        std::filesystem::copy(data / "icewm", home.configHome() / "icewm",
                              std::filesystem::copy_options::recursive);
        options.argv = {"icewm"};
        options.environment = {{"ICEWM_PRIVCFG", home.configHome() / "icewm"}};
        break;
    case WmKind::Fluxbox: // makes its stock configuration in the fresh home
        options.argv = {"fluxbox"};
        break;
    case WmKind::I3: // i3 alone places tiled windows, and they ignore every request to move
        std::filesystem::copy_file("/etc/i3/config", home.configHome() / "i3");
        std::ofstream(home.configHome() / "i3", std::ios::app)
            << "\nfor_window [class=\"VantileTestClient\"] floating enable\n";
        options.argv = {"i3", "-c", home.configHome() / "i3"};
        break;
    case WmKind::Xfwm4: // reads its settings over a session bus of its own
        options.argv = {"dbus-run-session", "xfwm4"};
        break;
    case WmKind::StockOpenbox: // the fresh home has no configuration: the system's is read
        options.argv = {"openbox", "--sm-disable"};
        break;
    }
    return options;
}

// Whether the window manager has announced itself (a live _NET_SUPPORTING_WM_CHECK window that
// names itself, _NET_ACTIVE_WINDOW supported) and laid out its panel where it has one.
bool announced(XServer& server, WmKind kind) {
    xcb_connection_t* c = server.connection();
    Atoms atoms(c);
    const auto check = readProperty32(c, server.root(), atoms("_NET_SUPPORTING_WM_CHECK"));
    const auto supported = readProperty32(c, server.root(), atoms("_NET_SUPPORTED"));
    if (!check || check->empty() ||
        readProperty32(c, check->front(), atoms("_NET_SUPPORTING_WM_CHECK")) != check ||
        !supported || std::ranges::count(*supported, atoms("_NET_ACTIVE_WINDOW")) == 0) {
        return false;
    }
    if (kind == WmKind::IceWM || kind == WmKind::I3) {
        return reservedEdges(c).bottom > 0;
    }
    return kind != WmKind::Fluxbox || readProperty32(c, server.root(), atoms("_NET_WORKAREA"));
}

} // namespace

std::unique_ptr<XServer> XServer::start(int width, int height) {
    auto logDir = std::make_unique<TempDir>("vantile-xvfb");
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        throw HarnessError("cannot make a pipe for Xvfb");
    }
    UniqueFd readEnd(ends[0]);
    UniqueFd writeEnd(ends[1]);
    const std::string size = std::to_string(width) + "x" + std::to_string(height) + "x24";
    ProcessOptions options{{"Xvfb", "-displayfd", "3", "-noreset", "-nolisten", "tcp", "+extension",
                            "RANDR", "-screen", "0", size}};
    options.passedDescriptors = {{ends[1], 3}};
    options.outputFile = logDir->path() / "xvfb.log";
    Process process(std::move(options));
    writeEnd.reset();
    const std::string number = readDisplayNumber(readEnd.get());
    if (number.empty()) {
        throw HarnessError("Xvfb did not report a display within 10 s: " + process.report());
    }
    return std::unique_ptr<XServer>(
        new XServer(std::move(process), std::move(logDir), ":" + number));
}

XServer::XServer(Process process, std::unique_ptr<TempDir> logDir, std::string display)
    : logDir_(std::move(logDir)), process_(std::move(process)), display_(std::move(display)),
      connection_(connectToDisplay(display_)),
      screen_(xcb_setup_roots_iterator(xcb_get_setup(connection_.get())).data) {}

// xrandr carries out its options in order and cannot set a monitor whose name is taken: the
// monitors that change go first, then the new ones are set, the primary one on Xvfb's one output.
// Monitors that stay as they were are left alone, as when a user plugs in one more. xrandr has
// synchronised with the server when it ends.
void XServer::setMonitors(const std::vector<WantedMonitor>& wanted) {
    const auto kept = [](const std::vector<WantedMonitor>& in, const std::vector<WantedMonitor>& of,
                         std::size_t i) {
        const auto found = std::ranges::find(of, in[i]);
        return found != of.end() && (found == of.begin()) == (i == 0);
    };
    ProcessOptions options{{"xrandr"}};
    for (std::size_t i = 0; i < monitors_.size(); ++i) {
        if (!kept(monitors_, wanted, i)) {
            options.argv.insert(options.argv.end(), {"--delmonitor", monitors_[i].name});
        }
    }
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        const WantedMonitor& m = wanted[i];
        const auto mm = [](int pixels) { return std::to_string(std::max(1, pixels * 254 / 960)); };
        if (!kept(wanted, monitors_, i)) {
            options.argv.insert(options.argv.end(),
                                {"--setmonitor", (i == 0 ? "*" : "") + m.name,
                                 std::to_string(m.width) + "/" + mm(m.width) + "x" +
                                     std::to_string(m.height) + "/" + mm(m.height) + "+" +
                                     std::to_string(m.x) + "+" + std::to_string(m.y),
                                 i == 0 ? "screen" : "none"});
        }
    }
    options.environment = {{"DISPLAY", display_}};
    options.outputFile = logDir_->path() / "xrandr.log";
    Process xrandr(std::move(options));
    if (xrandr.waitExit(5000ms) != 0) {
        throw HarnessError("xrandr failed: " + xrandr.report());
    }
    monitors_ = wanted;
}

std::string_view nameOf(WmKind kind) {
    constexpr std::string_view names[] = {"Openbox", "IceWM", "Fluxbox",
                                          "i3",      "xfwm4", "StockOpenbox"};
    return names[static_cast<int>(kind)];
}

// A window manager that has announced itself may still be starting, and Openbox drops the map
// requests that come then: it is ready once it manages a probe window, mapped again and again.
std::unique_ptr<WindowManager> WindowManager::start(XServer& server, WmKind kind) {
    auto home = std::make_unique<ProgramHome>();
    ProcessOptions options = windowManagerOptions(kind, *home);
    home->applyTo(options, server.display());
    options.outputFile = home->root() / "window-manager.log";
    std::unique_ptr<WindowManager> manager(
        new WindowManager{std::move(home), Process(std::move(options))});
    const auto running = [&] { return manager->process.running(); };
    if (!waitUntil([&] { return !running() || announced(server, kind); }, 10000ms) || !running()) {
        throw HarnessError(std::string(nameOf(kind)) +
                           " did not announce itself within 10 s: " + manager->process.report());
    }
    const auto probe = ClientWindow::create(
        server,
        {.title = "vantile-window-manager-probe", .width = 1, .height = 1, .setPid = false});
    if (!waitUntil([&] { return !running() || probe->tryMap(25ms); }, 10000ms) || !running()) {
        throw HarnessError(std::string(nameOf(kind)) +
                           " did not manage a window within 10 s: " + manager->process.report());
    }
    probe->destroy();
    return manager;
}

std::unique_ptr<X11Connection> connectProgram(const XServer& server) {
    auto connection = X11Connection::open(server.display().c_str());
    if (!connection) {
        throw HarnessError("cannot connect to " + server.display());
    }
    connection->setStrictErrors(true);
    return connection;
}

Desktop Desktop::start(WmKind kind, int width, int height,
                       const std::vector<WantedMonitor>& monitors) {
    Desktop desktop;
    desktop.server = XServer::start(width, height);
    if (!monitors.empty()) {
        desktop.server->setMonitors(monitors);
    }
    desktop.windowManager = WindowManager::start(*desktop.server, kind);
    return desktop;
}

} // namespace vantile::test
