// Shortcuts and drag-to-snap of the real program, with input made up through XTest and a real
// client window under Openbox.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/client_window.h"
#include "support/desktop.h"
#include "support/input_injection.h"
#include "support/rect_printing.h"
#include "support/titled_windows.h"
#include "support/vantile_program.h"
#include "support/wait.h"

namespace vantile::test {
namespace {

namespace keysym {
constexpr xcb_keysym_t controlL = 0xffe3, altL = 0xffe9, shiftL = 0xffe1;
constexpr xcb_keysym_t left = 0xff51, right = 0xff53, numLock = 0xff7f, capsLock = 0xffe5;
constexpr xcb_keysym_t two = 0x32;
} // namespace keysym

// Thirds on the 1920 x 1080 monitor, remembered from an earlier run.
void rememberThirds(const ProgramHome& home) {
    const auto folder = home.configHome() / "VantileWindowManager";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "active_config.json")
        << R"({"presetPerScreen":{"0_0_1920_1080":"00000000-0000-0000-0000-000000000002"}})";
}

std::string describeAll(const std::vector<Rect>& rects) {
    std::string out;
    for (const Rect& r : rects) {
        out += describe(r) + " ";
    }
    return out.empty() ? "none" : out;
}

bool overlayAt(XServer& server, const Rect& rect) {
    for (const Rect& overlay : viewableOverlays(server.connection())) {
        if (overlay == rect) {
            return true;
        }
    }
    return false;
}

class InputEndToEnd : public ::testing::Test {
  protected:
    InputEndToEnd() : desktop(Desktop::start(WmKind::Openbox, 1920, 1080)) {
        ClientWindowOptions options;
        options.x = 300;
        options.y = 200;
        window = ClientWindow::create(*desktop.server, options);
        window->map();
        window->activate();
        vantile = VantileProgram::start(*desktop.server, {}, rememberThirds);
        input = std::make_unique<InputInjector>(*desktop.server);
        start = window->visibleFrameInRoot();
    }

    xcb_keycode_t key(xcb_keysym_t sym) { return input->keycodeOf(sym); }
    // Input reaches the program, and the program has acted on it.
    void settle() {
        input->sync();
        ASSERT_TRUE(vantile->ping()) << vantile->report();
    }
    void expectAt(const Rect& target, const std::string& step) {
        EXPECT_TRUE(window->waitForVisibleFrame(target, 2000ms, 1.0))
            << step << ": stands at " << describe(window->lastSeenFrame());
    }
    void expectUnmoved(const std::string& step) {
        EXPECT_EQ(window->visibleFrameInRoot(), start) << step;
    }

    Desktop desktop;
    std::unique_ptr<ClientWindow> window;
    std::unique_ptr<VantileProgram> vantile;
    std::unique_ptr<InputInjector> input;
    Rect start;
};

TEST_F(InputEndToEnd, ControlAltArrowsNeedExactlyThoseModifiersNumLockAside) {
    input->chord(
        {key(keysym::controlL), key(keysym::altL), key(keysym::shiftL), key(keysym::left)});
    settle();
    expectUnmoved("with Shift added");

    input->tapKey(key(keysym::capsLock));
    input->chord({key(keysym::controlL), key(keysym::altL), key(keysym::left)});
    input->tapKey(key(keysym::capsLock));
    settle();
    expectUnmoved("with Caps Lock on");

    input->tapKey(key(keysym::numLock));
    input->chord({key(keysym::controlL), key(keysym::altL), key(keysym::left)});
    settle();
    expectAt({0, 0, 960, 1080}, "Ctrl+Alt+Left with Num Lock on");
    input->tapKey(key(keysym::numLock));
    input->chord({key(keysym::controlL), key(keysym::altL), key(keysym::right)});
    settle();
    expectAt({960, 0, 960, 1080}, "Ctrl+Alt+Right");
    EXPECT_TRUE(vantile->running()) << vantile->report();
}

TEST_F(InputEndToEnd, DigitsAndAltArrowsUseTheRememberedRegions) {
    input->chord({key(keysym::controlL), key(keysym::altL), key(keysym::two)});
    settle();
    expectAt({640, 0, 640, 1080}, "Ctrl+Alt+2: the middle third");
    input->chord({key(keysym::altL), key(keysym::right)});
    settle();
    expectAt({1280, 0, 640, 1080}, "Alt+Right: the right third");
}

TEST_F(InputEndToEnd, DragToAnEdgeShowsThePreviewAndReleaseSnaps) {
    input->moveTo(960, 540);
    input->pressButton(1);
    // Motion is heard only while the button is held, from the moment the program saw the press
    // (a person's drag takes far longer than that).
    settle();
    input->moveTo(500, 540);
    input->moveTo(2, 540);
    settle();
    EXPECT_TRUE(waitUntil(
        [&] {
            return overlayAt(*desktop.server, {0, 0, 960, 1080});
        },
        2000ms))
        << "no preview over the left half; overlays: "
        << describeAll(viewableOverlays(desktop.server->connection()));
    input->moveTo(2, 2);
    settle();
    EXPECT_TRUE(waitUntil(
        [&] {
            return overlayAt(*desktop.server, {0, 0, 960, 540});
        },
        2000ms))
        << "the preview did not move to the top-left quarter";
    input->releaseButton(1);
    settle();
    expectAt({0, 0, 960, 540}, "released in the top-left corner");
    EXPECT_TRUE(
        waitUntil([&] { return viewableOverlays(desktop.server->connection()).empty(); }, 2000ms))
        << "the preview stays after the release";
}

TEST_F(InputEndToEnd, DraggingAWindowByItsTitleBarToTheEdgeSnapsIt) {
    const Rect frame = window->visibleFrameInRoot();
    input->moveTo(int(frame.x + 60), int(frame.y + 8)); // on the title bar
    input->pressButton(1);
    settle();
    // The first motion past the threshold starts the window manager's move; later ones carry it.
    for (int step = 1; step <= 5; ++step) {
        input->moveTo(int(frame.x + 60 - 10 * step), int(frame.y + 8 + 30 * step));
        settle();
    }
    EXPECT_TRUE(waitUntil([&] { return window->visibleFrameInRoot().y > frame.y + 50; }, 2000ms))
        << "the window manager did not move the window: " << describe(window->lastSeenFrame());
    input->moveTo(2, 540);
    settle();
    input->releaseButton(1);
    settle();
    expectAt({0, 0, 960, 1080}, "released at the left edge");
}

TEST_F(InputEndToEnd, DragIntoAZoneAndBackOutSnapsNothing) {
    input->moveTo(960, 540);
    input->pressButton(1);
    settle();
    input->moveTo(2, 540);
    settle();
    EXPECT_TRUE(
        waitUntil([&] { return !viewableOverlays(desktop.server->connection()).empty(); }, 2000ms));
    input->moveTo(960, 540);
    settle();
    EXPECT_TRUE(
        waitUntil([&] { return viewableOverlays(desktop.server->connection()).empty(); }, 2000ms));
    input->releaseButton(1);
    settle();
    expectUnmoved("released away from every edge");
}

} // namespace
} // namespace vantile::test
