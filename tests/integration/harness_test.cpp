// Tests of the harness that runs the integration tests against real parts: Xvfb, RandR monitors,
// Openbox and IceWM, client windows, and child processes.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "support/client_window.h"
#include "support/desktop.h"
#include "support/ewmh.h"
#include "support/harness_error.h"
#include "support/process.h"
#include "support/program_wait.h"
#include "support/struts.h"
#include "support/temp_dir.h"
#include "support/text_files.h"
#include "support/wait.h"

namespace vantile::test {
namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 800;

ProcessOptions shell(const std::string& script) {
    ProcessOptions options;
    options.argv = {"/bin/sh", "-c", script};
    return options;
}

std::string readUtf8Property(xcb_connection_t* connection, xcb_window_t window,
                             xcb_atom_t property) {
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
        nullptr));
    if (!reply) {
        return {};
    }
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

// --- Processes ---

TEST(HarnessProcess, ReportsTheExitCode) {
    Process process(shell("exit 3"));
    EXPECT_EQ(process.waitExit(5000ms), 3) << process.report();
    EXPECT_EQ(process.describe(), "exited with 3");
    EXPECT_FALSE(process.running());
}

TEST(HarnessProcess, DescribesACrashByItsSignal) {
    Process process(shell("kill -SEGV $$"));
    EXPECT_EQ(process.waitExit(5000ms), std::nullopt);
    EXPECT_EQ(process.termSignal(), SIGSEGV);
    EXPECT_EQ(process.describe(), "killed by signal 11 (SIGSEGV)");
}

TEST(HarnessProcess, IsStillRunningUntilTheDeadlineAndStopsOnTerminate) {
    Process process(shell("exec sleep 60"));
    EXPECT_EQ(process.waitExit(20ms), std::nullopt);
    EXPECT_TRUE(process.running());
    EXPECT_EQ(process.describe(), "still running");
    process.terminate();
    EXPECT_FALSE(process.running());
    EXPECT_EQ(process.termSignal(), SIGTERM);
}

bool gone(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pidField, name, state;
    return !(stat >> pidField >> name >> state) || state == "Z";
}

TEST(HarnessProcess, StoppingAProgramAlsoStopsWhatItStarted) {
    TempDir dir;
    const auto pidFile = dir.path() / "child.pid";
    pid_t child = 0;
    {
        Process process(shell("sleep 60 & echo $! > " + pidFile.string() + "; wait"));
        ASSERT_TRUE(waitUntil([&] { return readTextFile(pidFile).find('\n') != std::string::npos; },
                              5000ms))
            << process.report();
        child = std::stoi(readTextFile(pidFile));
        ASSERT_FALSE(gone(child));
    }
    EXPECT_TRUE(waitUntil([&] { return gone(child); }, 5000ms))
        << "the background sleep " << child << " outlived its parent's Process";
}

TEST(HarnessProcess, AProgramEndsWhenTheTestThatStartedItDies) {
    TempDir dir;
    const auto pidFile = dir.path() / "program.pid";
    const pid_t tester = fork();
    ASSERT_GE(tester, 0);
    if (tester == 0) {
        // A test that dies without running destructors, as a crashed test or a death test does.
        Process program(shell("echo $$ > " + pidFile.string() + "; exec sleep 60"));
        waitUntil([&] { return readTextFile(pidFile).find('\n') != std::string::npos; }, 5000ms);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(tester, &status, 0), tester);
    const std::string pidText = readTextFile(pidFile);
    ASSERT_FALSE(pidText.empty()) << "the dying test did not start its program";
    const pid_t program = std::stoi(pidText);
    EXPECT_TRUE(waitUntil([&] { return gone(program); }, 5000ms))
        << "the program " << program << " outlived the test that started it";
}

TEST(HarnessProcess, TimeoutMessagesTellACrashFromAHang) {
    const auto never = [] { return false; };
    Process crashing(shell("kill -SEGV $$"));
    EXPECT_FALSE(waitWhileRunning(crashing, never, 5000ms));
    const std::string crashed = timeoutMessage("a marker", 5000ms, crashing);
    EXPECT_NE(crashed.find("waited up to 5000 ms for a marker; it crashed"), std::string::npos)
        << crashed;
    EXPECT_NE(crashed.find("killed by signal 11 (SIGSEGV)"), std::string::npos) << crashed;

    Process hanging(shell("exec sleep 60"));
    EXPECT_FALSE(waitWhileRunning(hanging, never, 20ms));
    const std::string hung = timeoutMessage("a marker", 20ms, hanging);
    EXPECT_NE(hung.find("still running, so it hung"), std::string::npos) << hung;
}

// --- Temporary directories ---

// --- X servers and monitors ---

TEST(HarnessXServer, ParallelServersGetTheirOwnDisplays) {
    const auto first = XServer::start(640, 480);
    const auto second = XServer::start(800, 600);
    EXPECT_NE(first->display(), second->display());
    EXPECT_EQ(first->width(), 640);
    EXPECT_EQ(first->height(), 480);
    EXPECT_EQ(second->width(), 800);
    EXPECT_EQ(second->height(), 600);
    EXPECT_TRUE(first->running() && second->running());
}

TEST(HarnessXServer, SetsExactlyTheRequestedMonitorsWithTheFirstPrimary) {
    const auto server = XServer::start(kScreenWidth * 2, kScreenHeight);
    const std::vector<WantedMonitor> wanted = {
        {"RIGHT", kScreenWidth, 0, kScreenWidth, kScreenHeight},
        {"LEFT", 0, 100, kScreenWidth, kScreenHeight - 100}};
    server->setMonitors(wanted);
    const auto monitors = queryMonitors(server->connection(), server->root());
    ASSERT_EQ(monitors.size(), 2U) << describe(monitors);
    const auto right = std::find_if(monitors.begin(), monitors.end(),
                                    [](const MonitorInfo& m) { return m.name == "RIGHT"; });
    const auto left = std::find_if(monitors.begin(), monitors.end(),
                                   [](const MonitorInfo& m) { return m.name == "LEFT"; });
    ASSERT_NE(right, monitors.end()) << describe(monitors);
    ASSERT_NE(left, monitors.end()) << describe(monitors);
    EXPECT_TRUE(right->primary);
    EXPECT_FALSE(left->primary);
    EXPECT_EQ(right->x, kScreenWidth);
    EXPECT_EQ(right->width, kScreenWidth);
    EXPECT_EQ(left->y, 100);
    EXPECT_EQ(left->height, kScreenHeight - 100);
}

// --- Window managers ---

class HarnessWindowManager : public ::testing::TestWithParam<WmKind> {};

TEST_P(HarnessWindowManager, AnnouncesItselfOnTheRoot) {
    const auto desktop = Desktop::start(GetParam(), kScreenWidth, kScreenHeight);
    ASSERT_TRUE(desktop.windowManager->running()) << desktop.windowManager->report();
    xcb_connection_t* c = desktop.server->connection();
    Atoms atoms(c);
    const auto check = supportingWmCheck(c, atoms, desktop.server->root());
    ASSERT_TRUE(check.has_value());
    const std::string name = readUtf8Property(c, *check, atoms("_NET_WM_NAME"));
    EXPECT_NE(name.find(nameOf(GetParam())), std::string::npos) << "_NET_WM_NAME is " << name;
}

INSTANTIATE_TEST_SUITE_P(Both, HarnessWindowManager,
                         ::testing::Values(WmKind::Openbox, WmKind::IceWM),
                         [](const auto& info) { return std::string(nameOf(info.param)); });

TEST(HarnessIceWM, ItsTaskbarReservesTheBottomOfThePrimaryMonitor) {
    const auto desktop = Desktop::start(WmKind::IceWM, kScreenWidth * 2, kScreenHeight,
                                        {{"MAIN", 0, 0, kScreenWidth, kScreenHeight},
                                         {"SIDE", kScreenWidth, 0, kScreenWidth, kScreenHeight}});
    xcb_connection_t* c = desktop.server->connection();
    const auto struts = findStrutWindows(c, desktop.server->root());
    ASSERT_EQ(struts.size(), 1U);
    EXPECT_GT(struts[0].bottom, 0U);
    EXPECT_EQ(struts[0].top, 0U);
    XcbReply<xcb_translate_coordinates_reply_t> corner(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, struts[0].window, desktop.server->root(), 0, 0), nullptr));
    XcbReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, struts[0].window), nullptr));
    ASSERT_TRUE(corner && geometry);
    EXPECT_EQ(corner->dst_x, 0);
    EXPECT_EQ(corner->dst_y + geometry->height, kScreenHeight);
    EXPECT_EQ(geometry->width, kScreenWidth) << "the taskbar spans the primary monitor only";
}

// --- Client windows ---

class HarnessClientWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop_ = Desktop::start(WmKind::Openbox, kScreenWidth, kScreenHeight);
    }

    std::unique_ptr<ClientWindow> mapped(ClientWindowOptions options) {
        auto window = ClientWindow::create(*desktop_.server, std::move(options));
        window->map();
        return window;
    }

    Desktop desktop_;
};

TEST_F(HarnessClientWindow, HasAVisibleFrameLargerThanItsClientAreaUnderOpenbox) {
    const auto window = mapped({.x = 100, .y = 120, .width = 300, .height = 200});
    const Rect client = window->clientRectInRoot();
    const Rect frame = window->visibleFrameInRoot();
    const FrameExtents extents = window->frameExtents();
    EXPECT_EQ(client.width, 300);
    EXPECT_EQ(client.height, 200);
    EXPECT_GT(extents.top, 0U) << "Openbox's title bar";
    EXPECT_GT(frame.width, client.width);
    EXPECT_GT(frame.height, client.height);
    EXPECT_EQ(frame, (Rect{client.x - extents.left, client.y - extents.top,
                           client.width + extents.left + extents.right,
                           client.height + extents.top + extents.bottom}));
    EXPECT_EQ(frame.origin(), (Point{100, 120})) << "north-west gravity puts the frame's corner "
                                                    "where the window asked to be";
}

TEST_F(HarnessClientWindow, BecomesActiveOnRequest) {
    const auto first = mapped({.title = "first"});
    const auto second = mapped({.title = "second", .x = 500});
    first->activate();
    EXPECT_TRUE(first->isActive());
    EXPECT_FALSE(second->isActive());
    second->activate();
    EXPECT_TRUE(second->isActive());
    EXPECT_FALSE(first->isActive());
}

TEST_F(HarnessClientWindow, MaximizedFrameFillsTheScreen) {
    const auto window = mapped({});
    EXPECT_FALSE(window->isMaximized());
    window->maximize();
    EXPECT_TRUE(window->isMaximized());
    EXPECT_TRUE(window->waitForVisibleFrame({0, 0, kScreenWidth, kScreenHeight}, 5000ms))
        << "last seen " << describe(window->lastSeenFrame());
}

TEST_F(HarnessClientWindow, WaitingForAFrameItNeverHasFailsAndTellsTheLastOneSeen) {
    const auto window = mapped({.x = 10, .y = 10});
    EXPECT_FALSE(window->waitForVisibleFrame({1, 2, 3, 4}, 50ms));
    EXPECT_EQ(window->lastSeenFrame(), window->visibleFrameInRoot());
}

TEST_F(HarnessClientWindow, ADockReservesItsStrut) {
    const auto dock = mapped({.title = "panel",
                              .x = 0,
                              .y = 0,
                              .width = kScreenWidth,
                              .height = 30,
                              .windowType = WindowType::Dock,
                              .strutPartial = std::array<std::uint32_t, 12>{
                                  0, 0, 30, 0, 0, 0, 0, 0, 0, kScreenWidth - 1, 0, 0}});
    const auto struts = findStrutWindows(desktop_.server->connection(), desktop_.server->root());
    ASSERT_EQ(struts.size(), 1U);
    EXPECT_EQ(struts[0].window, dock->id());
    EXPECT_TRUE(struts[0].partial);
    EXPECT_EQ(struts[0].top, 30U);
}

} // namespace
} // namespace vantile::test
