// Shortcuts and drag-to-snap of the real program, with input made up through XTest and a real
// client window under Openbox.

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "support/titled_windows.h"
#include "support/vantile_program.h"
#include "support/wait.h"

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
