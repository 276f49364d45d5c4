// The program as a desktop user meets it: the onboarding window while no window manager can be
// asked to move windows, its going away once one runs, the command that hands its link to the
// running instance, and the instance's socket turning strangers away.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "base/unique_fd.h"
#include "ipc/message.h"
#include "support/client_window.h"
#include "support/desktop.h"
#include "support/input_injection.h"
#include "support/other_user.h"
#include "support/process.h"
#include "support/rect_printing.h"
#include "support/temp_dir.h"
#include "support/titled_windows.h"
#include "support/vantile_program.h"
#include "support/wait.h"
#include "support/window_manager.h"
#include "support/x_server.h"

namespace vantile::test {
namespace {

constexpr const char* kOnboardingTitle = "Vantile Window Manager";
constexpr xcb_keysym_t kControlL = 0xffe3, kAltL = 0xffe9, kLeft = 0xff51;

ClientWindowOptions clientAt(int x, int y) {
    ClientWindowOptions options;
    options.x = x;
    options.y = y;
    return options;
}

Rect clientSizeOf(xcb_connection_t* connection, xcb_window_t window) {
    auto* reply = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr);
    const Rect size = reply ? Rect{0, 0, double(reply->width), double(reply->height)} : Rect{};
    free(reply);
    return size;
}

TEST(OnboardingEndToEnd, ShownWithoutWindowManagerGoneOnceOneRunsThenShortcutsWork) {
    auto server = XServer::start(1920, 1080);
    auto window = ClientWindow::create(*server, clientAt(300, 200));
    window->map();
    auto vantile = VantileProgram::start(*server);

    std::optional<xcb_window_t> onboarding;
    ASSERT_TRUE(waitUntil(
        [&] {
            return (onboarding = findViewableWindowTitled(server->connection(), kOnboardingTitle))
                .has_value();
        },
        5000ms))
        << "no viewable window titled \"" << kOnboardingTitle << "\": " << vantile->report();
    EXPECT_EQ(clientSizeOf(server->connection(), *onboarding), (Rect{0, 0, 480, 320}));

    const auto wmStarted = std::chrono::steady_clock::now();
    auto wm = WindowManager::start(*server, WmKind::Openbox);
    EXPECT_TRUE(waitUntil(
        [&] { return !findViewableWindowTitled(server->connection(), kOnboardingTitle); }, 5000ms))
        << "the onboarding window stays after a window manager started: " << vantile->report();
    const auto gone =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wmStarted);
    std::cout << "[ figure ] onboarding window gone " << gone.count()
              << " ms after the window manager was started (checks every 300 ms)\n";

    // The window goes first, then the program sets up; answering a ping means it has.
    ASSERT_TRUE(vantile->ping()) << vantile->report();
    window->activate();
    InputInjector input(*server);
    input.chord({input.keycodeOf(kControlL), input.keycodeOf(kAltL), input.keycodeOf(kLeft)});
    input.sync();
    ASSERT_TRUE(vantile->ping()) << vantile->report();
    EXPECT_TRUE(window->waitForVisibleFrame({0, 0, 960, 1080}, 2000ms, 1.0))
        << "Ctrl+Alt+Left once set up: " << describe(window->lastSeenFrame());
}

class InstanceEndToEnd : public ::testing::Test {
  protected:
    InstanceEndToEnd() : desktop(Desktop::start(WmKind::Openbox, 1920, 1080)) {
        window = ClientWindow::create(*desktop.server, clientAt(300, 200));
        window->map();
        window->activate();
        vantile = VantileProgram::start(*desktop.server);
        start = window->visibleFrameInRoot();
    }

    Desktop desktop;
    std::unique_ptr<ClientWindow> window;
    std::unique_ptr<VantileProgram> vantile;
    Rect start;
};

TEST_F(InstanceEndToEnd, ASecondInvocationHandsItsLinkToTheFirstAndEnds) {
    const auto result = vantile->run({"vantile://snap?action=rightHalf"});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    ASSERT_TRUE(vantile->ping()) << vantile->report();
    EXPECT_TRUE(window->waitForVisibleFrame({960, 0, 960, 1080}, 2000ms, 1.0))
        << describe(window->lastSeenFrame());
    EXPECT_TRUE(vantile->running()) << vantile->report();
}

// X hands a program that connects after another has gone the same numbers for its windows:
// "restore" must not send the newcomer to the frame the gone window had.
TEST_F(InstanceEndToEnd, RestoreNeverMovesALaterWindowUnderTheNumberOfOneThatWent) {
    vantile->snap("leftHalf");
    const xcb_window_t number = window->id();
    window.reset();
    ASSERT_TRUE(waitUntil(
        [&] {
            window = ClientWindow::create(*desktop.server, clientAt(500, 300));
            return window->id() == number;
        },
        5000ms))
        << "no later window got the number " << number;
    window->map();
    window->activate();
    const Rect before = window->visibleFrameInRoot();
    vantile->snap("restore");
    EXPECT_EQ(window->visibleFrameInRoot(), before);
}

// A preset whose split lies a hundred million billion widths off, chosen for the screen.
void rememberAbsurdPreset(const ProgramHome& home) {
    const auto folder = home.configHome() / "VantileWindowManager";
    std::filesystem::create_directories(folder / "Presets");
    const std::string id = "11111111-2222-3333-4444-555555555555";
    const std::string leaf = R"({"leaf":{"_0":{"id":"11111111-2222-3333-4444-66666666666)";
    std::ofstream(folder / "Presets" / (id + ".json"))
        << R"({"createdDate":0,"id":")" << id << R"(","isBuiltIn":false,"name":"Absurd",)"
        << R"("layouts":{"0_0_1920_1080":{"tree":{"split":{"direction":"vertical",)"
        << R"("fraction":1e17,"first":)" << leaf << R"(1","rect":{"x":0,"y":0,"width":0.5,)"
        << R"("height":1}}}},"second":)" << leaf << R"(2","rect":{"x":0.5,"y":0,"width":0.5,)"
        << R"("height":1}}}}}}}}})";
    std::ofstream(folder / "active_config.json")
        << R"({"presetPerScreen":{"0_0_1920_1080":")" << id << R"("}})";
}

// What another program may leave in the configuration folder or set on its own window must not
// hang the program or send windows off their screen.
TEST(HostileInputEndToEnd, AnAbsurdPresetIsSkippedAndAStrutCoveringEverythingIsIgnored) {
    auto desktop = Desktop::start(WmKind::Openbox, 1920, 1080);
    auto window = ClientWindow::create(*desktop.server, clientAt(300, 200));
    window->map();
    window->activate();
    auto vantile = VantileProgram::start(*desktop.server, {}, rememberAbsurdPreset);
    EXPECT_EQ(vantile->run({"edit"}).exitCode, 0);
    ASSERT_TRUE(vantile->ping()) << "the editor over the absurd preset: " << vantile->report();
    EXPECT_NE(vantile->run({"presets"}).output.find("1920x1080+0+0\t-\n"), std::string::npos)
        << "the preset was skipped";
    InputInjector input(*desktop.server);
    input.tapKey(input.keycodeOf(0xff1b)); // Escape closes the editor
    input.sync();

    ClientWindowOptions dock = clientAt(0, 0);
    dock.width = 20;
    dock.height = 1080;
    dock.windowType = WindowType::Dock;
    dock.strutPartial =
        std::array<std::uint32_t, 12>{0xFFFFFFFF, 0, 0, 0, 0, 1079, 0, 0, 0, 0, 0, 0};
    auto panel = ClientWindow::create(*desktop.server, dock);
    panel->map();
    window->activate();
    vantile->snap("leftHalf");
    EXPECT_TRUE(window->waitForVisibleFrame({0, 0, 960, 1080}, 2000ms, 1.0))
        << describe(window->lastSeenFrame());
}

// A save cut short by a crash leaves its temporary file; the next start clears old ones away and,
// with nothing changed, writes no file of its own.
TEST(HostileInputEndToEnd, AStartClearsLeftoversOfCutShortSavesAndRewritesNothing) {
    auto desktop = Desktop::start(WmKind::Openbox, 1920, 1080);
    std::filesystem::path folder;
    struct stat before {};
    auto vantile = VantileProgram::start(*desktop.server, {}, [&](const ProgramHome& home) {
        folder = home.configHome() / "VantileWindowManager";
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "active_config.json")
            << R"({"presetPerScreen":{"0_0_1920_1080":"00000000-0000-0000-0000-000000000001"}})";
        std::ofstream(folder / ".active_config.json.Ab12Cd") << "{";
        std::filesystem::last_write_time(folder / ".active_config.json.Ab12Cd",
                                         std::filesystem::file_time_type::clock::now() -
                                             std::chrono::minutes(5));
        ::stat((folder / "active_config.json").c_str(), &before);
    });
    ASSERT_TRUE(vantile->ping()) << vantile->report();
    EXPECT_FALSE(std::filesystem::exists(folder / ".active_config.json.Ab12Cd"));
    struct stat after {};
    ::stat((folder / "active_config.json").c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the unchanged choice was written again";
    EXPECT_NE(vantile->run({"presets"}).output.find("\tHalves\n"), std::string::npos);
}

UniqueFd connectTo(const std::filesystem::path& socket) {
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
    if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return {};
    }
    return fd;
}

// Sends one message to the socket and returns what came back before the instance hung up.
std::string exchange(const std::filesystem::path& socket, const InstanceMessage& message) {
    const UniqueFd fd = connectTo(socket);
    if (!fd.valid()) {
        return "<cannot connect>";
    }
    const std::string bytes = encodeMessage(message);
    if (::send(fd.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL) < 0) {
        return {};
    }
    ::shutdown(fd.get(), SHUT_WR);
    timeval timeout{5, 0};
    ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string reply;
    char buffer[64];
    for (ssize_t n; (n = ::recv(fd.get(), buffer, sizeof buffer, 0)) > 0;) {
        reply.append(buffer, static_cast<std::size_t>(n));
    }
    return reply;
}

TEST_F(InstanceEndToEnd, AnotherUserIsTurnedAwayOnBothEndsOfTheSocket) {
    if (!canActAsOtherUser()) {
        GTEST_SKIP() << "acting as another user needs root";
    }
    const auto socket = vantile->socketPath();
    // The instance drops a stranger's connection: no link is followed, no ping answered.
    EXPECT_EQ(runAsOtherUser([&] {
                  const std::string url = exchange(
                      socket, {InstanceMessage::Kind::url, "vantile://snap?action=leftHalf"});
                  const std::string pong = exchange(socket, {InstanceMessage::Kind::ping, ""});
                  return url.empty() && pong.empty() ? 0 : 1;
              }),
              0);
    // The command, run by a stranger, will not talk to an instance that is not its user's.
    const auto options = vantile->commandOptions({"snap", "leftHalf"});
    EXPECT_NE(runAsOtherUser([&] {
                  for (const auto& [name, value] : options.environment) {
                      ::setenv(name.c_str(), value.c_str(), 1);
                  }
                  std::vector<char*> argv;
                  for (const auto& arg : options.argv) {
                      argv.push_back(const_cast<char*>(arg.c_str()));
                  }
                  argv.push_back(nullptr);
                  ::execv(argv[0], argv.data());
                  return 126;
              }),
              std::optional<int>(0));
    ASSERT_TRUE(vantile->ping()) << "the instance still serves its own user: " << vantile->report();
    EXPECT_EQ(window->visibleFrameInRoot(), start) << "nothing a stranger sent was carried out";
}

// Every slot held by clients that send nothing, then more commands at once than the instance can
// carry out while they arrive: each is taken (exit 0) and carried out.
TEST_F(InstanceEndToEnd, ABurstOfSnapsIsTakenWholeWhileIdleClientsHoldEverySlot) {
    std::vector<UniqueFd> idle;
    for (int i = 0; i < 32; ++i) {
        idle.push_back(connectTo(vantile->socketPath()));
        ASSERT_TRUE(idle.back().valid());
    }
    const TempDir logs("vantile-burst");
    std::vector<Process> snaps;
    snaps.reserve(100);
    for (int i = 0; i < 100; ++i) {
        auto options = vantile->commandOptions({"snap", i % 2 == 0 ? "leftHalf" : "rightHalf"});
        options.stdoutFile = logs.path() / std::to_string(i);
        options.stderrFile = options.stdoutFile;
        snaps.emplace_back(options);
    }
    int refused = 0;
    std::string firstRefusal;
    for (auto& snap : snaps) {
        if (snap.waitExit(60000ms) != 0 && refused++ == 0) {
            firstRefusal = snap.report();
        }
    }
    EXPECT_EQ(refused, 0) << firstRefusal;
    ASSERT_TRUE(waitUntil([&] { return vantile->ping(); }, 60000ms)) << vantile->report();
    const Rect frame = window->visibleFrameInRoot();
    EXPECT_TRUE(frame == (Rect{0, 0, 960, 1080}) || frame == (Rect{960, 0, 960, 1080}))
        << "the snaps were not carried out: " << describe(frame);
}

TEST_F(InstanceEndToEnd, AUrlTooLongToSendIsRefusedAndNothingMoves) {
    const auto result =
        vantile->run({"vantile://snap?action=leftHalf&pad=" + std::string(70000, 'x')});
    EXPECT_EQ(result.exitCode, 2) << result.output;
    EXPECT_NE(result.output.find("too long"), std::string::npos) << result.output;
    ASSERT_TRUE(vantile->ping()) << vantile->report();
    EXPECT_EQ(window->visibleFrameInRoot(), start);
}

} // namespace
} // namespace vantile::test
