// The program as a desktop user meets it: the onboarding window while no window manager can be
// asked to move windows and its going once one runs, what other programs leave in its folder or
// set on their windows, and the instance's socket under strangers, idle clients and bursts.

#include <grp.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <poll.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/unique_fd.h"
#include "ipc/message.h"
#include "support/client_window.h"
#include "support/input_injection.h"
#include "support/titled_windows.h"
#include "support/vantile_program.h"
#include "support/wait.h"

namespace vantile::test {
namespace {

TEST(OnboardingEndToEnd, ShownWithoutWindowManagerGoneOnceOneRunsThenShortcutsWork) {
    auto server = XServer::start(1920, 1080);
    auto window = ClientWindow::create(*server, {.x = 300, .y = 200});
    window->map();
    auto vantile = VantileProgram::start(*server);
    const auto onboarding = [&] {
        return viewableWindowsTitled(server->connection(), "Vantile Window Manager");
    };
    ASSERT_TRUE(waitUntil([&] { return !onboarding().empty(); }, 5000ms)) << vantile->report();
    EXPECT_EQ(onboarding().front().size(), (Size{480, 320}));
    const Rect before = window->visibleFrameInRoot();
    vantile->snap("leftHalf");
    EXPECT_EQ(window->visibleFrameInRoot(), before) << "no window manager to ask";

    auto wm = WindowManager::start(*server, WmKind::Openbox);
    EXPECT_TRUE(waitUntil([&] { return onboarding().empty(); }, 5000ms)) << vantile->report();
    // The window goes first, then the program sets up; answering a ping means it has.
    ASSERT_TRUE(vantile->ping()) << vantile->report();
    window->activate();
    InputInjector input(*server);
    input.chord({input.keycodeOf(0xffe3), input.keycodeOf(0xffe9), input.keycodeOf(0xff51)});
    input.sync();
    ASSERT_TRUE(vantile->ping()) << vantile->report();
    EXPECT_TRUE(window->landsAt({0, 0, 960, 1080})) << "Ctrl+Alt+Left once set up";
}

// A preset whose split lies a hundred million billion widths off, chosen for the screen.
void rememberAbsurdPreset(ProgramSession& session) {
    std::filesystem::create_directories(session.configDir / "Presets");
    std::ofstream(session.configDir / "Presets/11111111-2222-3333-4444-555555555555.json")
        << R"({"createdDate":0,"id":"11111111-2222-3333-4444-555555555555","isBuiltIn":false,
    "name":"Absurd","layouts":{"0_0_1920_1080":{"tree":{"split":{"direction":"vertical",
    "fraction":1e17,"first":{"leaf":{"_0":{"id":"11111111-2222-3333-4444-666666666661",
    "rect":{"x":0,"y":0,"width":0.5,"height":1}}}},"second":{"leaf":{"_0":{"id":
    "11111111-2222-3333-4444-666666666662","rect":{"x":0.5,"y":0,"width":0.5,"height":1}}}}}}}}})";
    std::ofstream(session.configDir / "active_config.json")
        << R"({"presetPerScreen":{"0_0_1920_1080":"11111111-2222-3333-4444-555555555555"}})";
}

// What another program may leave in the configuration folder or set on its own window must not
// hang the program or send windows off their screen.
TEST(HostileInputEndToEnd, AnAbsurdPresetIsSkippedAndAStrutCoveringEverythingIsIgnored) {
    ProgramSession session(WmKind::Openbox, 1920, 1080, {}, rememberAbsurdPreset);
    EXPECT_EQ(session.vantile->run({"edit"}).exitCode, 0);
    session.settle();
    EXPECT_NE(session.vantile->run({"presets"}).output.find("1920x1080+0+0\t-\n"),
              std::string::npos)
        << "the preset was skipped";
    session.keys({0xff1b}); // Escape closes the editor
    auto panel = ClientWindow::create(
        *session.desktop.server,
        ClientWindowOptions::panel({0, 0, 20, 1080}, {0xFFFFFFFF, 0, 0, 0, 0, 1079}));
    panel->map();
    session.window->activate();
    session.vantile->snap("leftHalf");
    EXPECT_TRUE(session.window->landsAt({0, 0, 960, 1080}));
}

// A save cut short by a crash leaves its temporary file; the next start clears old ones away and,
// with nothing changed, writes no file of its own.
TEST(HostileInputEndToEnd, AStartClearsLeftoversOfCutShortSavesAndRewritesNothing) {
    struct stat before {};
    ProgramSession session(WmKind::Openbox, 1920, 1080, {}, [&](ProgramSession& s) {
        std::filesystem::create_directories(s.configDir);
        std::ofstream(s.configDir / "active_config.json")
            << R"({"presetPerScreen":{"0_0_1920_1080":"00000000-0000-0000-0000-000000000001"}})";
        std::ofstream(s.configDir / ".active_config.json.Ab12Cd") << "{";
        std::filesystem::last_write_time(s.configDir / ".active_config.json.Ab12Cd",
                                         std::filesystem::file_time_type::clock::now() -
                                             std::chrono::minutes(5));
        ::stat((s.configDir / "active_config.json").c_str(), &before);
    });
    EXPECT_FALSE(std::filesystem::exists(session.configDir / ".active_config.json.Ab12Cd"));
    struct stat after {};
    ::stat((session.configDir / "active_config.json").c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the unchanged choice was written again";
    EXPECT_NE(session.vantile->run({"presets"}).output.find("\tHalves\n"), std::string::npos);
}

UniqueFd connectTo(const std::filesystem::path& socket) {
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM, 0));
    sockaddr_un address{AF_UNIX, {}};
    std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
    const bool connected =
        ::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    return connected ? std::move(fd) : UniqueFd{};
}

// Sends one message and returns what came back before the instance hung up.
std::string exchange(const std::filesystem::path& socket, const InstanceMessage& message) {
    const UniqueFd fd = connectTo(socket);
    const std::string bytes = encodeMessage(message);
    if (!fd.valid()) {
        return "<cannot connect>";
    }
    if (::send(fd.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL) < 0) {
        return {}; // hung up on before it was sent
    }
    ::shutdown(fd.get(), SHUT_WR);
    timeval timeout{5, 0};
    ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string reply;
    char buffer[64];
    for (ssize_t n; (n = ::recv(fd.get(), buffer, sizeof buffer, 0)) > 0;) {
        reply.append(buffer, std::size_t(n));
    }
    return reply;
}

// Whether the body holds, run in a child process as user and group nobody, which keeps the right to
// open any file, so that the program's own checks are what turns it away; false as well when the
// child cannot become nobody or does not end within 10 s (its alarm ends it).
bool holdsForAnotherUser(const std::function<bool()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(10);
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        data[0].effective = data[0].permitted = 1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH;
        const uid_t nobody = 65534;
        const bool ready =
            ::prctl(PR_SET_KEEPCAPS, 1, 0, 0, 0) == 0 && ::setgroups(0, nullptr) == 0 &&
            ::setresgid(nobody, nobody, nobody) == 0 && ::setresuid(nobody, nobody, nobody) == 0 &&
            ::syscall(SYS_capset, &header, data) == 0;
        ::_exit(ready && body() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

using InstanceEndToEnd = OpenboxSession;

TEST_F(InstanceEndToEnd, AnotherUserIsTurnedAwayOnBothEndsOfTheSocket) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "acting as another user needs root";
    }
    const auto socket = vantile->socketPath();
    // The instance drops a stranger's connection: no link is followed, no ping answered.
    EXPECT_TRUE(holdsForAnotherUser([&] {
        return exchange(socket, {InstanceMessage::Kind::url, "vantile://snap?action=leftHalf"})
                   .empty() &&
               exchange(socket, {InstanceMessage::Kind::ping, ""}).empty();
    }));
    // The command, run by a stranger, will not talk to an instance that is not its user's.
    auto options = vantile->commandOptions({"snap", "leftHalf"});
    options.argv.insert(options.argv.begin(),
                        {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                         "--inh-caps=+dac_override,+dac_read_search",
                         "--ambient-caps=+dac_override,+dac_read_search"});
    Process stranger(options);
    EXPECT_EQ(stranger.waitExit(10000ms), 1) << stranger.report();
    ASSERT_TRUE(vantile->ping()) << "the instance still serves its own user: " << vantile->report();
    EXPECT_EQ(window->visibleFrameInRoot(), start) << "nothing a stranger sent was carried out";
}

// Every slot held by clients that send nothing, then more commands at once than the instance can
// carry out while they arrive: each is taken (exit 0) and carried out, and the idle clients are
// hung up on once their deadline has passed.
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
        options.outputFile = logs.path() / std::to_string(i);
        snaps.emplace_back(options);
    }
    for (auto& snap : snaps) {
        ASSERT_EQ(snap.waitExit(60000ms), 0) << snap.report();
    }
    ASSERT_TRUE(waitUntil([&] { return vantile->ping(); }, 60000ms)) << vantile->report();
    const Rect frame = window->visibleFrameInRoot();
    EXPECT_TRUE(frame == (Rect{0, 0, 960, 1080}) || frame == (Rect{960, 0, 960, 1080}))
        << "the snaps were not carried out: " << describe(frame);
    for (auto& fd : idle) {
        pollfd pending{fd.get(), POLLIN, 0};
        ASSERT_EQ(::poll(&pending, 1, 10000), 1) << "still connected after 10 s";
        char byte;
        EXPECT_EQ(::recv(fd.get(), &byte, 1, 0), 0);
    }
}

} // namespace
} // namespace vantile::test
