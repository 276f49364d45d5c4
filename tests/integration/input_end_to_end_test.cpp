// Shortcuts and drag-to-snap of the real program, with input made up through XTest and a real
// client window under Openbox.

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ranges>
#include <set>
#include <sstream>

#include "support/titled_windows.h"
#include "support/vantile_program.h"
#include "support/wait.h"
#include "support/xcb_handles.h"

namespace vantile::test {
namespace {

// Thirds on the monitor, remembered from an earlier run, and leftThird on Super+H instead of
// Ctrl+Alt+U; Caps Lock may be locked before the program starts.
class InputEndToEnd : public ::testing::Test, public ProgramSession {
  protected:
    explicit InputEndToEnd(bool capsLocked = false)
        : ProgramSession(WmKind::Openbox, 1920, 1080, {}, [=](ProgramSession& session) {
              std::filesystem::create_directories(session.configDir);
              std::ofstream(session.configDir / "active_config.json")
                  << R"({"presetPerScreen":{"0_0_1920_1080":")"
                  << R"(00000000-0000-0000-0000-000000000002"}})";
              std::ofstream(session.configDir / "shortcuts.json") << R"({"leftThird": "Super+H"})";
              if (capsLocked) {
                  session.input->chord({session.input->keycodeOf(XK_Caps_Lock)});
                  session.input->sync();
              }
          }) {}

    // Whether the program's preview is up over exactly the rect (or, for none, nothing is up).
    bool previewIs(std::optional<Rect> rect) {
        const auto shown = [&] { return viewableOverlays(desktop.server->connection()); };
        const auto is = [&] {
            return rect ? std::ranges::count(shown(), *rect) == 1 : shown().empty();
        };
        return waitUntil(is, 2000ms);
    }
};

class InputWithCapsLockOn : public InputEndToEnd {
  protected:
    InputWithCapsLockOn() : InputEndToEnd(true) {}
};

// Each press counts with the modifiers held when it was made, though all of them reach the
// program before it reads any.
TEST_F(InputWithCapsLockOn, ShortcutsNeedExactlyTheirModifiersNumLockAsideAndUseTheRegions) {
    keys({XK_Control_L, XK_Alt_L, XK_Left});
    EXPECT_EQ(window->visibleFrameInRoot(), start) << "with Caps Lock on since before the start";
    keys({XK_Caps_Lock});
    keys({XK_Control_L, XK_Alt_L, XK_Shift_L, XK_Left});
    EXPECT_EQ(window->visibleFrameInRoot(), start) << "with Shift added";
    keys({XK_Caps_Lock});
    keys({XK_Control_L, XK_Alt_L, XK_Left});
    keys({XK_Caps_Lock});
    EXPECT_EQ(window->visibleFrameInRoot(), start) << "with Caps Lock on";
    input->chord({input->keycodeOf(XK_Control_L), input->keycodeOf(XK_Alt_L)});
    keys({XK_Left});
    EXPECT_EQ(window->visibleFrameInRoot(), start) << "Left after Ctrl+Alt were let go";

    keys({XK_Num_Lock});
    keys({XK_Control_L, XK_Alt_L, XK_Left});
    EXPECT_TRUE(window->landsAt({0, 0, 960, 1080})) << "Ctrl+Alt+Left with Num Lock on";
    keys({XK_Num_Lock});
    keys({XK_Control_L, XK_Alt_L, XK_Right});
    EXPECT_TRUE(window->landsAt({960, 0, 960, 1080})) << "Ctrl+Alt+Right";
    keys({XK_Control_L, XK_Alt_L, XK_2});
    EXPECT_TRUE(window->landsAt({640, 0, 640, 1080})) << "Ctrl+Alt+2: the middle third";
    keys({XK_Alt_L, XK_Right});
    EXPECT_TRUE(window->landsAt({1280, 0, 640, 1080})) << "Alt+Right: the right third";
    keys({XK_Control_L, XK_Alt_L, XK_u});
    EXPECT_EQ(window->visibleFrameInRoot(), (Rect{1280, 0, 640, 1080})) << "Ctrl+Alt+U, rebound";
    keys({XK_Super_L, XK_h});
    EXPECT_TRUE(window->landsAt({0, 0, 640, 1080})) << "Super+H, leftThird's key in the file";
}

// A key that snaps is the program's alone; one whose command would do nothing goes on to the
// focused client. Held, it repeats. The file is read again when it changes, and a bad entry is
// named while the good ones apply.
TEST_F(InputEndToEnd, ClaimedKeysSkipTheClientUnusedOnesReachItAndTheFileAppliesAtOnce) {
    window->keyPresses();
    keys({XK_Control_L, XK_Alt_L, XK_Left});
    EXPECT_TRUE(window->landsAt({0, 0, 960, 1080}));
    EXPECT_EQ(std::ranges::count(window->keyPresses(), input->keycodeOf(XK_Left)), 0)
        << "the client was sent the claimed Left";
    // Held, the key repeats (after the server's delay): the window goes through the thirds.
    const std::vector held{input->keycodeOf(XK_Control_L), input->keycodeOf(XK_Alt_L),
                           input->keycodeOf(XK_bracketright)};
    std::ranges::for_each(held, [&](auto key) { input->pressKey(key); });
    input->sync();
    std::set<double> visited;
    waitUntil([&] { return visited.insert(window->visibleFrameInRoot().x), visited.size() == 3; },
              4000ms, 5ms);
    std::ranges::for_each(held | std::views::reverse, [&](auto key) { input->releaseKey(key); });
    settle();
    EXPECT_EQ(visited, (std::set<double>{0, 640, 1280})) << "held Ctrl+Alt+] stepped no further";
    keys({XK_Control_L, XK_Alt_L, XK_3});
    EXPECT_TRUE(window->landsAt({1280, 0, 640, 1080}));
    window->keyPresses();
    keys({XK_Alt_L, XK_Right});
    const std::vector<xcb_keycode_t> altRight{input->keycodeOf(XK_Alt_L),
                                              input->keycodeOf(XK_Right)};
    EXPECT_EQ(window->keyPresses(), altRight)
        << "no third further right: Alt+Right is the client's";
    ASSERT_EQ(vantile->run({"clear"}).exitCode, 0);
    keys({XK_Alt_L, XK_Left});
    EXPECT_EQ(std::ranges::count(window->keyPresses(), input->keycodeOf(XK_Left)), 1)
        << "with no layout Alt+Left is the client's";
    EXPECT_EQ(window->visibleFrameInRoot(), (Rect{1280, 0, 640, 1080}));

    ASSERT_EQ(vantile->run({"use", "00000000-0000-0000-0000-000000000002"}).exitCode, 0);
    std::ofstream(configDir / "shortcuts.json") << R"({"leftThird": "Super+J"})";
    ASSERT_TRUE(listsShortcut("Super+J\tleftThird\tactive\n")) << "the change was not applied";
    keys({XK_Super_L, XK_h});
    EXPECT_EQ(window->visibleFrameInRoot(), (Rect{1280, 0, 640, 1080})) << "Super+H, let go";
    keys({XK_Super_L, XK_j});
    EXPECT_TRUE(window->landsAt({0, 0, 640, 1080})) << "Super+J, the new key";

    std::ofstream(configDir / "shortcuts.json")
        << R"({"rightThird": "Super+K", "nope": "X", "center": "Ctrl+Alt+Q+"})";
    const CommandResult reload = vantile->run({"reload"});
    EXPECT_EQ(reload.exitCode, 0);
    EXPECT_NE(reload.output.find("nope \"X\": no such command"), std::string::npos)
        << reload.output;
    EXPECT_NE(reload.output.find("\"Ctrl+Alt+Q+\" is no chord"), std::string::npos);
    EXPECT_TRUE(listsShortcut("\"X\"\tnope\tinvalid\tno such command\n"));
    keys({XK_Super_L, XK_k});
    EXPECT_TRUE(window->landsAt({1280, 0, 640, 1080})) << "the good entry applies";
    keys({XK_Control_L, XK_Alt_L, XK_c});
    EXPECT_TRUE(window->landsAt({640, 0, 640, 1080})) << "center keeps its default key";
}

// The grabs follow Num Lock to another modifier, and a program that holds the keyboard (a screen
// locker) hears every key itself.
TEST_F(InputEndToEnd, GrabsFollowAMovedNumLockAndAHeldKeyboardKeepsEveryKey) {
    ProcessOptions xmodmap{{"xmodmap", "-e", "clear mod2", "-e", "add mod3 = Num_Lock"},
                           {{"DISPLAY", desktop.server->display()}}};
    ASSERT_EQ(Process(xmodmap).waitExit(5000ms), 0);
    settle();
    keys({XK_Num_Lock});
    keys({XK_Control_L, XK_Alt_L, XK_Left});
    EXPECT_TRUE(window->landsAt({0, 0, 960, 1080})) << "with Num Lock on as Mod3";
    keys({XK_Num_Lock});

    xcb_connection_t* locker = window->connection();
    const auto grab =
        xcb_grab_keyboard_reply(locker,
                                xcb_grab_keyboard(locker, 0, window->id(), XCB_CURRENT_TIME,
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                nullptr);
    ASSERT_TRUE(grab && grab->status == XCB_GRAB_STATUS_SUCCESS);
    std::free(grab);
    keys({XK_Control_L, XK_Alt_L, XK_Right});
    EXPECT_EQ(window->visibleFrameInRoot(), (Rect{0, 0, 960, 1080})) << "seen under a grab";
    xcb_ungrab_keyboard(locker, XCB_CURRENT_TIME);
    xcb_flush(locker);
    keys({XK_Control_L, XK_Alt_L, XK_Right});
    EXPECT_TRUE(window->landsAt({960, 0, 960, 1080})) << "after the grab ended";
}

// Openbox as it comes holds Ctrl+Alt+arrows for its desktops: those stay its own, are reported,
// and the free key offered instead works once written to the file.
struct StockOpenbox : ::testing::Test, ProgramSession {
    StockOpenbox() : ProgramSession(WmKind::StockOpenbox, 1920, 1080) {}
    std::uint32_t currentDesktop() {
        xcb_connection_t* c = desktop.server->connection();
        const auto value =
            readProperty32(c, desktop.server->root(), Atoms(c)("_NET_CURRENT_DESKTOP"));
        return value && !value->empty() ? value->front() : 99;
    }
};

TEST_F(StockOpenbox, ItsKeysAreReportedTakenAndLeftToItTheOthersAndTheOfferedOnesWork) {
    const CommandResult listing = vantile->run({"shortcuts"});
    ASSERT_EQ(listing.exitCode, 0);
    std::istringstream lines(listing.output);
    std::set<std::string> taken;
    std::size_t active = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.ends_with("\ttaken")) {
            taken.insert(line.substr(0, line.find('\t')));
        }
        active += line.ends_with("\tactive");
    }
    EXPECT_EQ(taken, (std::set<std::string>{"Ctrl+Alt+Left", "Ctrl+Alt+Right", "Ctrl+Alt+Up",
                                            "Ctrl+Alt+Down"}))
        << listing.output;
    EXPECT_EQ(active, 22u) << listing.output;
    EXPECT_NE(listing.output.find("vantile: note: "), std::string::npos) << "the edge warp";

    keys({XK_Control_L, XK_Alt_L, XK_Right});
    EXPECT_TRUE(waitUntil([&] { return currentDesktop() == 1; }, 2000ms));
    keys({XK_Control_L, XK_Alt_L, XK_Left});
    EXPECT_TRUE(waitUntil([&] { return currentDesktop() == 0; }, 2000ms));
    EXPECT_EQ(window->visibleFrameInRoot(), start) << "a taken key moved the window";
    keys({XK_Control_L, XK_Alt_L, XK_u});
    EXPECT_TRUE(window->landsAt({0, 0, 640, 1080})) << "Ctrl+Alt+U, not taken";

    std::ofstream(configDir / "shortcuts.json") << R"({"leftHalf": "Ctrl+Alt+Super+Left"})";
    ASSERT_TRUE(listsShortcut("Ctrl+Alt+Super+Left\tleftHalf\tactive"));
    keys({XK_Control_L, XK_Alt_L, XK_Super_L, XK_Left});
    EXPECT_TRUE(window->landsAt({0, 0, 960, 1080})) << "the offered key";
    EXPECT_EQ(currentDesktop(), 0u);
}

// Motion is heard only while the button is held, from the moment the program saw the press (a
// person's drag takes far longer than that), hence the settling after it.
TEST_F(InputEndToEnd, DragToAnEdgeShowsThePreviewAndReleaseSnapsButNotAfterLeavingIt) {
    input->moveTo(960, 540);
    input->pressButton(1);
    settle();
    input->moveTo(500, 540);
    input->moveTo(2, 540);
    settle();
    EXPECT_TRUE(previewIs(Rect{0, 0, 960, 1080})) << "no preview over the left half";
    input->moveTo(960, 540);
    settle();
    EXPECT_TRUE(previewIs(std::nullopt)) << "the preview stays away from the edges";
    input->releaseButton(1);
    settle();
    EXPECT_EQ(window->visibleFrameInRoot(), start) << "released away from every edge";
    // Neither motion after the release nor a drag with another button (on the window, where the
    // window manager keeps its menus away) is a drag to snap.
    for (const std::uint8_t button : {0, 3, 2}) {
        input->moveTo(int(start.midX()), int(start.midY()));
        if (button != 0) {
            input->pressButton(button);
        }
        settle();
        input->moveTo(2, int(start.midY()));
        settle();
        EXPECT_FALSE(waitUntil(
            [&] { return !viewableOverlays(desktop.server->connection()).empty(); }, 300ms))
            << "a preview with button " << int(button);
        if (button != 0) {
            input->releaseButton(button);
        }
    }
    input->moveTo(960, 540);
    settle();
    EXPECT_EQ(window->visibleFrameInRoot(), start) << "dragged with another button";

    input->pressButton(1);
    settle();
    input->moveTo(2, 540);
    input->moveTo(2, 2);
    settle();
    EXPECT_TRUE(previewIs(Rect{0, 0, 960, 540})) << "no preview over the top-left quarter";
    input->releaseButton(1);
    settle();
    EXPECT_TRUE(window->landsAt({0, 0, 960, 540})) << "released in the top-left corner";
    EXPECT_TRUE(previewIs(std::nullopt)) << "the preview stays after the release";

    // Left-handed, the physical button 3 drags.
    input->swapPrimaryButton();
    input->moveTo(960, 540);
    input->pressButton(3);
    settle();
    input->moveTo(1917, 540);
    settle();
    EXPECT_TRUE(previewIs(Rect{960, 0, 960, 1080})) << "no preview over the right half";
    input->releaseButton(3);
    settle();
    EXPECT_TRUE(window->landsAt({960, 0, 960, 1080})) << "released at the right edge";
}

// The window manager holds the pointer while it moves a window by its title bar.
TEST_F(InputEndToEnd, DraggingAWindowByItsTitleBarToTheEdgeSnapsIt) {
    input->moveTo(int(start.x + 60), int(start.y + 8));
    input->pressButton(1);
    settle();
    // The first motion past the threshold starts the window manager's move; later ones carry it.
    for (int step = 1; step <= 5; ++step) {
        input->moveTo(int(start.x + 60 - 10 * step), int(start.y + 8 + 30 * step));
        settle();
    }
    EXPECT_TRUE(waitUntil([&] { return window->visibleFrameInRoot().y > start.y + 50; }, 2000ms))
        << "the window manager did not move the window";
    input->moveTo(2, 540);
    settle();
    input->releaseButton(1);
    settle();
    EXPECT_TRUE(window->landsAt({0, 0, 960, 1080})) << "released at the left edge";
}

} // namespace
} // namespace vantile::test
