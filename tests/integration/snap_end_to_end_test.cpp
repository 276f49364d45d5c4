// The real `vantile` command and instance against Xvfb, a real window manager and a real client
// window: every action puts the window's visible frame where it belongs.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>

#include <cmath>
#include <thread>

#include "base/unique_fd.h"
#include "core/windows/window_action.h"
#include "support/client_window.h"
#include "support/desktop.h"
#include "support/harness_error.h"
#include "support/rect_printing.h"
#include "support/struts.h"
#include "support/vantile_program.h"
#include "support/wait.h"
#include "support/x_server.h"

namespace vantile::test {
namespace {

// X positions are whole pixels: a target of 437.5 lands on 437 or 438, and a width that is
// rounded on its own may end one pixel off.
constexpr double pixelTolerance = 1.0;

// The usable part of a monitor as the window manager itself sees it: its work area, which it
// computes from its own panels (one rectangle for all monitors, so this holds only for monitors
// that share their top and bottom edges, as the layouts here do), or without one (i3) the monitor
// less the panels' struts.
Rect usableArea(XServer& server, const WantedMonitor& monitor) {
    const Rect area{double(monitor.x), double(monitor.y), double(monitor.width),
                    double(monitor.height)};
    xcb_connection_t* c = server.connection();
    auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 13, "_NET_WORKAREA"), nullptr);
    if (!atom) {
        throw HarnessError("cannot intern _NET_WORKAREA");
    }
    auto* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, server.root(), atom->atom, XCB_ATOM_CARDINAL, 0, 4), nullptr);
    std::optional<Rect> workArea;
    if (reply && xcb_get_property_value_length(reply) == 16) {
        const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        workArea = Rect{double(v[0]), double(v[1]), double(v[2]), double(v[3])};
    }
    free(reply);
    free(atom);
    if (workArea) {
        return intersection(area, *workArea).value_or(area);
    }
    Rect free = area;
    for (const StrutWindow& strut : findStrutWindows(c, server.root())) {
        free = Rect{free.x + strut.left, free.y + strut.top, free.width - strut.left - strut.right,
                    free.height - strut.top - strut.bottom};
    }
    return free;
}

struct Layout {
    std::string name;
    WmKind wm;
    int width;
    int height;
    std::vector<WantedMonitor> monitors;
    std::size_t windowMonitor; // the monitor most of the window starts on
    ClientWindowOptions window;
    // What the program says at start about the window manager's own edge behaviour; null for
    // nothing.
    const char* edgeNote = nullptr;
};

std::string layoutName(const ::testing::TestParamInfo<Layout>& info) {
    return info.param.name;
}

ClientWindowOptions windowAt(int x, int y) {
    ClientWindowOptions options;
    options.x = x;
    options.y = y;
    options.width = 500;
    options.height = 360;
    return options;
}

const std::vector<WantedMonitor> twoMonitors = {{"LEFT", 0, 0, 1920, 1080},
                                                {"RIGHT", 1920, 0, 1200, 1080}};

class EveryAction : public ::testing::TestWithParam<Layout> {};

TEST_P(EveryAction, LandsWhereItBelongsAndRestoreReturnsToTheStart) {
    const Layout& layout = GetParam();
    auto desktop = Desktop::start(layout.wm, layout.width, layout.height, layout.monitors);
    auto window = ClientWindow::create(*desktop.server, layout.window);
    window->map();
    auto vantile = VantileProgram::start(*desktop.server);
    // Activated once everything has started: i3 may still hand the focus around before that.
    window->activate();

    const WantedMonitor monitor = layout.monitors.empty()
                                      ? WantedMonitor{"", 0, 0, layout.width, layout.height}
                                      : layout.monitors[layout.windowMonitor];
    const Rect v = usableArea(*desktop.server, monitor);
    const Rect start = window->visibleFrameInRoot();

    auto expect = [&](const std::string& action, const Rect& target) {
        vantile->snap(action);
        EXPECT_TRUE(window->waitForVisibleFrame(target, 2000ms, pixelTolerance))
            << action << ": expected " << describe(target) << ", the window stands at "
            << describe(window->lastSeenFrame()) << " (visible area " << describe(v) << ")"
            << (window->isActive() ? "" : "; the window is no longer the active one");
    };

    expect("center", Rect{v.midX() - start.width / 2, v.midY() - start.height / 2, start.width,
                          start.height});
    for (auto action : allWindowActions) {
        if (const auto target = targetFrame(action, v)) {
            expect(std::string(rawValue(action)), *target);
        }
    }
    expect("restore", start);
    EXPECT_TRUE(vantile->running()) << vantile->report();
    const std::size_t note = vantile->report().find("vantile: note:");
    if (layout.edgeNote) {
        EXPECT_NE(vantile->report().find(layout.edgeNote, note), std::string::npos)
            << vantile->report();
    } else {
        EXPECT_EQ(note, std::string::npos) << vantile->report();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, EveryAction,
    ::testing::Values(Layout{"OpenboxOneMonitor",
                             WmKind::Openbox,
                             1920,
                             1080,
                             {},
                             0,
                             windowAt(300, 200),
                             "screenEdgeWarpTime"},
                      Layout{
                          "IceWMOneMonitor", WmKind::IceWM, 1920, 1080, {}, 0, windowAt(300, 200)},
                      Layout{"OpenboxMostlyOnSecondMonitor", WmKind::Openbox, 3120, 1080,
                             twoMonitors, 1, windowAt(1700, 300), "screenEdgeWarpTime"},
                      Layout{"IceWMMostlyOnSecondMonitor", WmKind::IceWM, 3120, 1080, twoMonitors,
                             1, windowAt(1700, 300)},
                      Layout{"FluxboxOneMonitor",
                             WmKind::Fluxbox,
                             1920,
                             1080,
                             {},
                             0,
                             windowAt(300, 200),
                             "workspacewarping"},
                      Layout{"I3Floating", WmKind::I3, 1920, 1080, {}, 0, windowAt(300, 200)},
                      Layout{"Xfwm4OneMonitor",
                             WmKind::Xfwm4,
                             1920,
                             1080,
                             {},
                             0,
                             windowAt(300, 200),
                             "tile_on_move"}),
    layoutName);

// A window with an X border of its own, as xterm has, goes back exactly where it stood, cycle
// after cycle, and does not creep by its border.
class BorderedWindow : public ::testing::TestWithParam<WmKind> {};

TEST_P(BorderedWindow, SnapAndRestoreCyclesReturnExactly) {
    auto desktop = Desktop::start(GetParam(), 1920, 1080);
    ClientWindowOptions options = windowAt(200, 200);
    options.borderWidth = 1;
    auto window = ClientWindow::create(*desktop.server, options);
    window->map();
    auto vantile = VantileProgram::start(*desktop.server);
    window->activate();
    const Rect start = window->visibleFrameInRoot();
    const Rect v = usableArea(*desktop.server, {"", 0, 0, 1920, 1080});
    for (int cycle = 1; cycle <= 3; ++cycle) {
        vantile->snap("leftHalf");
        EXPECT_TRUE(window->waitForVisibleFrame({v.x, v.y, v.width / 2, v.height}, 2000ms))
            << "cycle " << cycle << ": " << describe(window->lastSeenFrame());
        vantile->snap("restore");
        EXPECT_TRUE(window->waitForVisibleFrame(start, 2000ms))
            << "cycle " << cycle << ": " << describe(window->lastSeenFrame());
    }
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, BorderedWindow,
                         ::testing::Values(WmKind::Openbox, WmKind::Fluxbox, WmKind::I3,
                                           WmKind::Xfwm4));

class SnapOnOpenbox : public ::testing::Test {
  protected:
    SnapOnOpenbox() : desktop(Desktop::start(WmKind::Openbox, 1920, 1080)) {}

    std::unique_ptr<ClientWindow> activeWindow(ClientWindowOptions options = windowAt(300, 200)) {
        auto window = ClientWindow::create(*desktop.server, options);
        window->map();
        window->activate();
        return window;
    }

    Desktop desktop;
};

TEST_F(SnapOnOpenbox, WindowWithALargerMinimumSizeKeepsItAndStillMoves) {
    auto options = windowAt(100, 300);
    options.minSize = PixelSize{1200, 500};
    auto window = activeWindow(options);
    auto vantile = VantileProgram::start(*desktop.server);
    const Rect before = window->visibleFrameInRoot();
    vantile->snap("rightHalf");
    // The window cannot be narrower than 1200 pixels; it keeps that width and its corner goes
    // to the target's corner, even though it then reaches past the screen's edge.
    ASSERT_TRUE(waitUntil([&] { return window->visibleFrameInRoot().y < 1; }, 2000ms))
        << describe(window->visibleFrameInRoot());
    const Rect frame = window->visibleFrameInRoot();
    EXPECT_NE(frame.x, before.x);
    EXPECT_NEAR(frame.x, 960, 1) << describe(frame);
    EXPECT_GE(frame.width, 1200);
    EXPECT_NEAR(frame.height, 1080, 1) << describe(frame);
    EXPECT_TRUE(vantile->running()) << vantile->report();
}

TEST_F(SnapOnOpenbox, MaximizedWindowLeavesTheMaximizedStateAndIsPlaced) {
    auto window = activeWindow();
    window->maximize();
    auto vantile = VantileProgram::start(*desktop.server);
    vantile->snap("leftHalf");
    EXPECT_TRUE(window->waitForVisibleFrame({0, 0, 960, 1080}, 2000ms))
        << describe(window->lastSeenFrame());
    EXPECT_FALSE(window->isMaximized());
}

TEST_F(SnapOnOpenbox, WindowDestroyedDuringTheMoveLeavesTheProgramRunning) {
    auto vantile = VantileProgram::start(*desktop.server);
    // The move takes at least one 25 ms verification pass; destroy the window at points in it.
    for (int delayMs : {0, 2, 10, 20, 30}) {
        auto window = activeWindow();
        auto command = Process(vantile->commandOptions({"snap", "almostMaximize"}));
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        window->destroy();
        EXPECT_EQ(command.waitExit(5000ms), 0) << command.report();
        ASSERT_TRUE(vantile->ping())
            << "after destroying at " << delayMs << " ms: " << vantile->report();
    }
    auto survivor = activeWindow();
    vantile->snap("topHalf");
    EXPECT_TRUE(survivor->waitForVisibleFrame({0, 0, 1920, 540}, 2000ms))
        << describe(survivor->lastSeenFrame());
}

TEST_F(SnapOnOpenbox, FirstCommandStartsTheInstanceWhichCarriesItOut) {
    auto window = activeWindow();
    auto vantile = VantileProgram::start(*desktop.server, {"snap", "bottomRight"});
    EXPECT_TRUE(window->waitForVisibleFrame({960, 540, 960, 540}, 2000ms))
        << describe(window->lastSeenFrame());
    // A later command goes to the same instance.
    vantile->snap("topLeft");
    EXPECT_TRUE(window->waitForVisibleFrame({0, 0, 960, 540}, 2000ms))
        << describe(window->lastSeenFrame());
    EXPECT_TRUE(vantile->running()) << vantile->report();
}

TEST_F(SnapOnOpenbox, CommandLineRefusesUnknownActionsAndTheUrlPathStaysSilent) {
    auto window = activeWindow();
    auto vantile = VantileProgram::start(*desktop.server);
    const Rect before = window->visibleFrameInRoot();

    const auto refused = vantile->run({"snap", "LeftHalf"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.output.find("unknown action 'LeftHalf'"), std::string::npos)
        << refused.output;

    const auto forwarded = vantile->run({"vantile://snap?action=LeftHalf"});
    EXPECT_EQ(forwarded.exitCode, 0) << forwarded.output;
    EXPECT_TRUE(forwarded.output.empty()) << forwarded.output;
    ASSERT_TRUE(vantile->ping()) << vantile->report();
    EXPECT_EQ(window->visibleFrameInRoot(), before);
}

TEST_F(SnapOnOpenbox, SilentClientsNeitherBlockOthersNorStayConnected) {
    auto vantile = VantileProgram::start(*desktop.server);
    std::vector<UniqueFd> silent;
    for (int i = 0; i < 8; ++i) {
        UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM, 0));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, vantile->socketPath().c_str(), sizeof address.sun_path - 1);
        ASSERT_EQ(::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        silent.push_back(std::move(fd));
    }
    EXPECT_TRUE(vantile->ping()) << "others are served meanwhile";
    // The instance hangs up on a client that sends nothing within its deadline.
    for (auto& fd : silent) {
        pollfd pfd{fd.get(), POLLIN, 0};
        ASSERT_EQ(::poll(&pfd, 1, 10000), 1) << "still connected after 10 s";
        char byte;
        EXPECT_EQ(::recv(fd.get(), &byte, 1, 0), 0);
    }
    EXPECT_TRUE(vantile->running()) << vantile->report();
}

TEST(SnapWithoutWindowManager, ChangesNothingUntilOneRunsThenWorks) {
    auto server = XServer::start(1920, 1080);
    auto window = ClientWindow::create(*server, windowAt(300, 200));
    window->map();
    auto vantile = VantileProgram::start(*server);
    const Rect before = window->visibleFrameInRoot();
    vantile->snap("leftHalf");
    EXPECT_EQ(window->visibleFrameInRoot(), before);

    auto wm = WindowManager::start(*server, WmKind::Openbox);
    window->activate();
    // The program notices the window manager within a poll of 0.3 s.
    const Rect target{0, 0, 960, 1080};
    EXPECT_TRUE(waitUntil(
        [&] {
            vantile->snap("leftHalf");
            return window->waitForVisibleFrame(target, 0ms, pixelTolerance);
        },
        3000ms, 50ms))
        << describe(window->visibleFrameInRoot()) << "\n"
        << vantile->report();
}

} // namespace
} // namespace vantile::test
