// The real `vantile` command and instance against Xvfb, a real window manager and a real client
// window: every action puts the window's visible frame where it belongs, and the command line and
// links say what they did with their exit codes.

#include <gtest/gtest.h>

#include <thread>

#include "core/windows/window_action.h"
#include "support/client_window.h"
#include "support/titled_windows.h"
#include "support/vantile_program.h"
#include "support/wait.h"

namespace vantile::test {
namespace {

// The usable part of a monitor as the window manager itself sees it: its work area (one rectangle
// for all monitors, so this holds for monitors that share their top and bottom edges, as here),
// or without one (i3) the monitor less its panels' struts.
Rect usableArea(XServer& server, const Rect& monitor) {
    xcb_connection_t* c = server.connection();
    if (const auto a = readProperty32(c, server.root(), Atoms(c)("_NET_WORKAREA")); a) {
        const Rect workArea{double(a->at(0)), double(a->at(1)), double(a->at(2)), double(a->at(3))};
        return intersection(monitor, workArea).value_or(monitor);
    }
    const Struts s = reservedEdges(c);
    return {monitor.x + s.left, monitor.y + s.top, monitor.width - s.left - s.right,
            monitor.height - s.top - s.bottom};
}

ClientWindowOptions windowAt(int x, int y, int border = 0) {
    return {.x = x, .y = y, .width = 500, .height = 360, .borderWidth = border};
}

const std::vector<WantedMonitor> twoMonitors = {{"LEFT", 0, 0, 1920, 1080},
                                                {"RIGHT", 1920, 0, 1200, 1080}};

struct Layout {
    std::string name;
    WmKind wm;
    bool twoMonitors;
    // The X border of the window, as xterm has one: restore must bring it back exactly, cycle
    // after cycle, and never creep by the border.
    int border;
    // What the program says at start about the window manager's own edge behaviour.
    const char* edgeNote = "";
    friend void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }
};

class EveryAction : public ::testing::TestWithParam<Layout> {};

TEST_P(EveryAction, LandsWhereItBelongsAndRestoreReturnsExactly) {
    const Layout& layout = GetParam();
    auto desktop = Desktop::start(layout.wm, layout.twoMonitors ? 3120 : 1920, 1080,
                                  layout.twoMonitors ? twoMonitors : std::vector<WantedMonitor>{});
    // On two monitors, most of the window starts on the second one.
    auto window = ClientWindow::create(*desktop.server, layout.twoMonitors
                                                            ? windowAt(1700, 300, layout.border)
                                                            : windowAt(300, 200, layout.border));
    window->map();
    auto vantile = VantileProgram::start(*desktop.server);
    // Activated once everything has started: i3 may hand the focus around until then.
    window->activate();
    const Rect v = usableArea(*desktop.server, layout.twoMonitors ? Rect{1920, 0, 1200, 1080}
                                                                  : Rect{0, 0, 1920, 1080});
    const Rect start = window->visibleFrameInRoot();

    // X positions are whole pixels: a target of 437.5 lands on 437 or 438.
    const auto expect = [&](const std::string& action, const Rect& target, double tolerance) {
        vantile->snap(action);
        EXPECT_TRUE(window->landsAt(target, tolerance))
            << action << " (usable area " << describe(v) << ")"
            << (window->isActive() ? "" : "; the window is no longer the active one");
    };
    expect("center",
           {v.midX() - start.width / 2, v.midY() - start.height / 2, start.width, start.height}, 1);
    for (const auto action : allWindowActions) {
        if (const auto target = targetFrame(action, v)) {
            expect(std::string(rawValue(action)), *target, 1);
        }
    }
    expect("restore", start, 0);
    expect("leftHalf", {v.x, v.y, v.width / 2, v.height}, 1);
    expect("restore", start, 0);
    const std::string report = vantile->report(), note = "vantile: note:";
    EXPECT_EQ(report.find(note) != std::string::npos, *layout.edgeNote != 0) << report;
    EXPECT_NE(report.find(layout.edgeNote), std::string::npos) << report;
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, EveryAction,
    ::testing::Values(Layout{"OpenboxOneMonitor", WmKind::Openbox, false, 1, "screenEdgeWarpTime"},
                      Layout{"OpenboxTwoMonitors", WmKind::Openbox, true, 0, "screenEdgeWarpTime"},
                      Layout{"IceWMOneMonitor", WmKind::IceWM, false, 0},
                      Layout{"IceWMTwoMonitors", WmKind::IceWM, true, 0},
                      Layout{"FluxboxOneMonitor", WmKind::Fluxbox, false, 1, "workspacewarping"},
                      Layout{"I3Floating", WmKind::I3, false, 1},
                      Layout{"Xfwm4OneMonitor", WmKind::Xfwm4, false, 1, "tile_on_move"}),
    [](const auto& info) { return info.param.name; });

// A real xterm, which has an X border of its own and resizes in steps of its character cell, goes
// back exactly where it stood after snap and restore, cycle after cycle (floating under i3, as
// its class is the test clients'). The first command starts the instance, which carries it out.
class Xterm : public ::testing::TestWithParam<WmKind> {};

TEST_P(Xterm, TheFirstCommandIsCarriedOutAndSnapRestoreCyclesReturnExactly) {
    auto desktop = Desktop::start(GetParam(), 1920, 1080);
    const std::string display = desktop.server->display();
    Process xterm({.argv = {"xterm", "-class", "VantileTestClient", "-geometry", "80x24+200+200",
                            "-T", "cycled"},
                   .environment = {{"DISPLAY", display}}});
    const auto where = [&] {
        return viewableWindowsTitled(desktop.server->connection(), "cycled");
    };
    ASSERT_TRUE(waitUntil([&] { return where().size() == 1; }, 5000ms)) << xterm.report();
    Process activate({.argv = {"wmctrl", "-a", "cycled"}, .environment = {{"DISPLAY", display}}});
    ASSERT_EQ(activate.waitExit(5000ms), 0);
    const Rect start = where()[0];
    auto vantile = VantileProgram::start(*desktop.server, {"snap", "leftHalf"});
    for (int cycle = 0; cycle < 3; ++cycle) {
        ASSERT_TRUE(waitUntil([&] { return where()[0].x < 50; }, 2000ms)) << describe(where()[0]);
        vantile->snap("restore");
        ASSERT_TRUE(waitUntil([&] { return where()[0] == start; }, 2000ms))
            << "cycle " << cycle << ": " << describe(where()[0]) << " instead of "
            << describe(start);
        vantile->snap("leftHalf");
    }
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, Xterm, ::testing::Values(WmKind::Openbox, WmKind::I3));

class SnapOnOpenbox : public OpenboxSession {
  protected:
    std::unique_ptr<ClientWindow> activeWindow(ClientWindowOptions options = windowAt(300, 200)) {
        auto other = ClientWindow::create(*desktop.server, options);
        other->map();
        other->activate();
        return other;
    }
};

// The window moved is the active one, whether its program has other windows or it names no
// process at all. A window that cannot be narrower than 1200 pixels keeps that width and its
// corner goes to the target's corner, though it then reaches past the screen's edge. A maximized
// one leaves that state and is placed.
TEST_F(SnapOnOpenbox, TheActiveWindowIsMovedWhateverItsSiblingsSizeOrStateAndMayGoMeanwhile) {
    auto sibling = activeWindow(windowAt(600, 300)); // of the same program as the first window
    auto pidless = activeWindow({.x = 500, .y = 300, .setPid = false});
    vantile->snap("leftHalf");
    EXPECT_TRUE(pidless->landsAt({0, 0, 960, 1080}));
    sibling->activate();
    vantile->snap("rightHalf");
    EXPECT_TRUE(sibling->landsAt({960, 0, 960, 1080}));
    EXPECT_EQ(pidless->visibleFrameInRoot(), (Rect{0, 0, 960, 1080}));
    EXPECT_EQ(window->visibleFrameInRoot(), start);

    auto wide = activeWindow({.x = 100, .y = 300, .minSize = Size{1200, 500}});
    const double width = wide->visibleFrameInRoot().width; // widened to its minimum when mapped
    ASSERT_GE(width, 1200);
    vantile->snap("rightHalf");
    EXPECT_TRUE(wide->landsAt({960, 0, width, 1080}));

    window->activate();
    window->maximize();
    vantile->snap("leftHalf");
    EXPECT_TRUE(window->landsAt({0, 0, 960, 1080}));
    EXPECT_FALSE(window->isMaximized());

    // The move takes at least one 25 ms verification pass; the window goes at points in it.
    for (int delayMs : {0, 2, 10, 20, 30}) {
        auto doomed = activeWindow();
        Process command(vantile->commandOptions({"snap", "almostMaximize"}));
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        doomed->destroy();
        EXPECT_EQ(command.waitExit(5000ms), 0) << command.report();
        ASSERT_TRUE(vantile->ping()) << "destroyed at " << delayMs << " ms: " << vantile->report();
    }
    window->activate();
    vantile->snap("topHalf");
    EXPECT_TRUE(window->landsAt({0, 0, 1920, 540}));
}

// Unknown actions are refused on the command line; a link's path stays silent; a link too long to
// send is refused; a link handed over by a second invocation is carried out. X hands a program
// that connects after another has gone the same numbers for its windows: "restore" must not send
// the newcomer to the frame the gone window had.
TEST_F(SnapOnOpenbox, CommandsAndLinksSayWhatTheyDidAndRestoreSparesLaterWindows) {
    const auto refused = vantile->run({"snap", "LeftHalf"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.output.find("unknown action 'LeftHalf'"), std::string::npos)
        << refused.output;
    EXPECT_EQ(vantile->run({"vantile://snap?action=LeftHalf"}), (CommandResult{0, ""}));
    const auto tooLong =
        vantile->run({"vantile://snap?action=leftHalf&pad=" + std::string(70000, 'x')});
    EXPECT_EQ(tooLong.exitCode, 2);
    EXPECT_NE(tooLong.output.find("too long"), std::string::npos) << tooLong.output;
    settle();
    EXPECT_EQ(window->visibleFrameInRoot(), start);
    EXPECT_EQ(vantile->run({"vantile://snap?action=rightHalf"}), (CommandResult{0, ""}));
    settle();
    EXPECT_TRUE(window->landsAt({960, 0, 960, 1080}));

    vantile->snap("leftHalf");
    const xcb_window_t number = window->id();
    window.reset();
    ASSERT_TRUE(waitUntil(
        [&] {
            window = ClientWindow::create(*desktop.server, windowAt(500, 300));
            return window->id() == number;
        },
        5000ms));
    window->map();
    window->activate();
    const Rect before = window->visibleFrameInRoot();
    vantile->snap("restore");
    EXPECT_EQ(window->visibleFrameInRoot(), before);
}

} // namespace
} // namespace vantile::test
