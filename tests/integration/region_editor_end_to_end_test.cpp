// The region editor of the real program on two RandR monitors, used with the mouse and keys as a
// user would (XTest): it covers every monitor, its split buttons and boundaries change the layouts
// that Ctrl+Alt+N uses once applied, Escape leaves them alone, and a named preset is written and
// chosen. Under Openbox and under IceWM, which keeps the user's window active while the editor is
// open: the toolbar stays on top, its preset list keeps its keys, the editor's keys come before
// the shortcuts, and the editor's own drags never snap a window.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "support/client_window.h"
#include "support/desktop.h"
#include "support/input_injection.h"
#include "support/rect_printing.h"
#include "support/titled_windows.h"
#include "support/vantile_program.h"
#include "support/wait.h"
#include "support/x_server.h"

namespace vantile::test {
namespace {

const std::vector<WantedMonitor> twoMonitors = {{"LEFT", 0, 0, 1920, 1080},
                                                {"RIGHT", 1920, 0, 1200, 1080}};
constexpr const char* kEditorTitle = "Vantile Region Editor";
constexpr const char* kToolbarTitle = "Vantile Region Editor Toolbar";

namespace keysym {
constexpr xcb_keysym_t controlL = 0xffe3, altL = 0xffe9, returnKey = 0xff0d, escape = 0xff1b,
                       down = 0xff54;
constexpr xcb_keysym_t e = 0x65, z = 0x7a, one = 0x31, three = 0x33;
} // namespace keysym

nlohmann::json readJson(const std::filesystem::path& path) {
    std::ifstream in(path);
    return nlohmann::json::parse(in, nullptr, false);
}

class RegionEditorEndToEnd : public ::testing::Test {
  protected:
    explicit RegionEditorEndToEnd(WmKind wm = WmKind::Openbox)
        : desktop(Desktop::start(wm, 3120, 1080, twoMonitors)) {
        ClientWindowOptions options;
        options.x = 300;
        options.y = 200;
        window = ClientWindow::create(*desktop.server, options);
        window->map();
        window->activate();
        vantile = VantileProgram::start(*desktop.server, {}, [this](const ProgramHome& home) {
            configDir = home.configHome() / "VantileWindowManager";
        });
        input = std::make_unique<InputInjector>(*desktop.server);
        input->moveTo(900, 700); // on the first monitor, where the toolbar then goes
        start = window->visibleFrameInRoot();
    }

    xcb_connection_t* x() { return desktop.server->connection(); }
    void settle() {
        input->sync();
        ASSERT_TRUE(vantile->ping()) << vantile->report();
    }
    void press(std::vector<xcb_keysym_t> keys) {
        std::vector<xcb_keycode_t> codes;
        for (const xcb_keysym_t sym : keys) {
            codes.push_back(input->keycodeOf(sym));
        }
        input->chord(codes);
        settle();
    }
    void click(int px, int py) {
        input->moveTo(px, py);
        input->pressButton(1);
        input->releaseButton(1);
        settle();
    }
    // Drags with the left button along the middle of the first monitor, in steps as a hand does.
    void drag(int fromX, int toX) {
        input->moveTo(fromX, 300);
        input->pressButton(1);
        const int step = toX > fromX ? 40 : -40;
        for (int px = fromX + step; (step > 0 ? px < toX : px > toX); px += step) {
            input->moveTo(px, 300);
        }
        input->moveTo(toX, 300);
        input->releaseButton(1);
        settle();
    }
    bool editorOpen() { return viewableWindowsTitled(x(), kEditorTitle).size() == 2; }
    // Keys typed before the editor holds the keyboard go to the window that still does.
    bool editorHasKeys() {
        auto* focus = xcb_get_input_focus_reply(x(), xcb_get_input_focus(x()), nullptr);
        const xcb_window_t window = focus ? focus->focus : xcb_window_t{XCB_WINDOW_NONE};
        free(focus);
        return titleOf(x(), window) == kEditorTitle;
    }
    void openEditor() {
        press({keysym::controlL, keysym::altL, keysym::e});
        ASSERT_TRUE(waitUntil([&] { return editorOpen() && editorHasKeys(); }, 5000ms))
            << "editor windows: " << viewableWindowsTitled(x(), kEditorTitle).size() << "\n"
            << vantile->report();
    }
    void expectEditorClosed() {
        EXPECT_TRUE(waitUntil(
            [&] {
                return viewableWindowsTitled(x(), kEditorTitle).empty() &&
                       viewableWindowsTitled(x(), kToolbarTitle).empty();
            },
            5000ms))
            << vantile->report();
    }
    void expectAt(const Rect& target, const std::string& step) {
        EXPECT_TRUE(window->waitForVisibleFrame(target, 2000ms, 1.0))
            << step << ": stands at " << describe(window->lastSeenFrame());
    }
    // Region n of the first monitor's layout, by Ctrl+Alt+n.
    void snapToRegion(xcb_keysym_t digit) {
        window->activate();
        press({keysym::controlL, keysym::altL, digit});
    }

    Desktop desktop;
    std::unique_ptr<ClientWindow> window;
    std::unique_ptr<VantileProgram> vantile;
    std::unique_ptr<InputInjector> input;
    std::filesystem::path configDir;
    Rect start;
};

// "New Preset" at (244, 10, 82, 28) from the toolbar's bottom-left corner; the preset list at
// (12, 10, 140, 28).
constexpr int kNewPresetX = 720 + 244 + 41, kPresetListX = 720 + 82, kToolbarRowY = 16 + 48 - 24;

// The first monitor starts from Halves; the left half's "two columns" button sits 4 px right of
// its centre and 14 to 42 px below it: Qt's (484..512, 554..582) on a 1080-high monitor.
constexpr int kSplitLeftHalfX = 498, kSplitLeftHalfY = 568;

TEST_F(RegionEditorEndToEnd, CoversEveryMonitorAndASplitAppliedWithReturnIsUsed) {
    openEditor();
    auto editors = viewableWindowsTitled(x(), kEditorTitle);
    std::sort(editors.begin(), editors.end(),
              [](const Rect& a, const Rect& b) { return a.x < b.x; });
    EXPECT_EQ(editors, (std::vector<Rect>{{0, 0, 1920, 1080}, {1920, 0, 1200, 1080}}));
    EXPECT_EQ(viewableWindowsTitled(x(), kToolbarTitle), (std::vector<Rect>{{720, 16, 480, 48}}))
        << "centred on the pointer's monitor, 16 px below its top";

    click(kSplitLeftHalfX, kSplitLeftHalfY);
    press({keysym::returnKey});
    expectEditorClosed();
    snapToRegion(keysym::one);
    expectAt({0, 0, 480, 1080}, "Ctrl+Alt+1: the left half's first column");
    snapToRegion(keysym::three);
    expectAt({960, 0, 960, 1080}, "Ctrl+Alt+3: the right half");
}

TEST_F(RegionEditorEndToEnd, DraggingTheBoundaryMovesItAndCtrlZTakesBackAGesture) {
    openEditor();
    drag(960, 1440);
    drag(1440, 1200);
    press({keysym::controlL, keysym::z}); // takes back the second gesture as a whole
    press({keysym::returnKey});
    expectEditorClosed();
    snapToRegion(keysym::one);
    expectAt({0, 0, 1440, 1080}, "Ctrl+Alt+1 after dragging the boundary to three quarters");
}

TEST_F(RegionEditorEndToEnd, EscapeLeavesTheLayoutsAsTheyWere) {
    openEditor();
    click(kSplitLeftHalfX, kSplitLeftHalfY);
    press({keysym::returnKey});
    expectEditorClosed();

    openEditor();
    click(258, kSplitLeftHalfY); // the first column (0..480) split once more
    drag(960, 1500);             // and the boundary between the halves moved
    press({keysym::escape});
    expectEditorClosed();
    snapToRegion(keysym::three);
    expectAt({960, 0, 960, 1080}, "Ctrl+Alt+3 still the right half");
}

TEST_F(RegionEditorEndToEnd, ANewPresetIsWrittenAndChosenForEveryScreen) {
    openEditor();
    click(kSplitLeftHalfX, kSplitLeftHalfY);
    click(kNewPresetX, kToolbarRowY);
    input->tapKey(input->keycodeOf('w'));
    input->tapKey(input->keycodeOf('o'));
    input->tapKey(input->keycodeOf('r'));
    input->tapKey(input->keycodeOf('k'));
    press({keysym::returnKey});
    EXPECT_TRUE(editorOpen()) << "saving keeps the editor open";

    const auto presets = configDir / "Presets";
    std::vector<nlohmann::json> written;
    for (const auto& file : std::filesystem::directory_iterator(presets)) {
        written.push_back(readJson(file.path()));
    }
    ASSERT_EQ(written.size(), 1u) << "one preset file in " << presets;
    EXPECT_EQ(written[0]["name"], "work");
    const auto choice = readJson(configDir / "active_config.json");
    const auto id = written[0]["id"];
    EXPECT_EQ(choice["presetPerScreen"]["0_0_1920_1080"], id) << choice.dump();
    EXPECT_EQ(choice["presetPerScreen"]["1920_0_1200_1080"], id) << choice.dump();

    press({keysym::escape});
    expectEditorClosed();
    snapToRegion(keysym::one);
    expectAt({0, 0, 480, 1080}, "the saved preset is in force");
}

// The depth of the first viewable editor window: 32 when it has an alpha channel.
int editorDepth(xcb_connection_t* connection) {
    const auto editor = findViewableWindowTitled(connection, kEditorTitle);
    if (!editor) {
        return 0;
    }
    auto* geometry =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, *editor), nullptr);
    const int depth = geometry ? geometry->depth : 0;
    free(geometry);
    return depth;
}

TEST_F(RegionEditorEndToEnd, TheVeilIsTranslucentOnlyWhenACompositorRuns) {
    openEditor();
    EXPECT_EQ(editorDepth(x()), 24) << "without a compositor the editor is dark and opaque";
    press({keysym::escape});
    expectEditorClosed();

    // A compositing manager announces itself by owning this selection.
    const xcb_window_t owner = xcb_generate_id(x());
    xcb_create_window(x(), XCB_COPY_FROM_PARENT, owner, desktop.server->root(), 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(x(), xcb_intern_atom(x(), 0, 13, "_NET_WM_CM_S0"), nullptr);
    ASSERT_NE(atom, nullptr);
    xcb_set_selection_owner(x(), owner, atom->atom, XCB_CURRENT_TIME);
    free(atom);
    xcb_flush(x());
    openEditor();
    EXPECT_EQ(editorDepth(x()), 32) << "with one, the desktop shows through the veil";
}

// An edit applied over a remembered preset survives a panel coming: only a change of monitors
// brings the remembered presets back.
TEST_F(RegionEditorEndToEnd, APanelAppearingKeepsAnAppliedEdit) {
    openEditor();
    click(kNewPresetX, kToolbarRowY);
    press({keysym::returnKey}); // saved as "My Layout", now every monitor's remembered choice
    click(kSplitLeftHalfX, kSplitLeftHalfY);
    press({keysym::returnKey});
    expectEditorClosed();

    ClientWindowOptions dock;
    dock.x = dock.y = 0;
    dock.width = 1920;
    dock.height = 40;
    dock.windowType = WindowType::Dock;
    dock.strutPartial = std::array<std::uint32_t, 12>{0, 0, 40, 0, 0, 0, 0, 0, 0, 1919, 0, 0};
    auto panel = ClientWindow::create(*desktop.server, dock);
    panel->map();
    settle();
    snapToRegion(keysym::one);
    expectAt({0, 40, 480, 1040}, "Ctrl+Alt+1: the edited first column, below the panel");
}

class RegionEditorUnderWm : public RegionEditorEndToEnd,
                            public ::testing::WithParamInterface<WmKind> {
  protected:
    RegionEditorUnderWm() : RegionEditorEndToEnd(GetParam()) {}

    std::string stacking() {
        std::string order;
        for (const std::string& title : stackedTitles(x(), {kEditorTitle, kToolbarTitle})) {
            order += "\"" + title + "\" ";
        }
        return order;
    }
    void expectToolbarOnTop(const std::string& after) {
        const std::string onTop = std::string("\"") + kEditorTitle + "\" \"" + kEditorTitle +
                                  "\" \"" + kToolbarTitle + "\" ";
        EXPECT_TRUE(waitUntil([&] { return stacking() == onTop; }, 2000ms))
            << after << ", from the bottom: " << stacking();
    }
};

TEST_P(RegionEditorUnderWm, TheToolbarStaysAboveTheEditorWindows) {
    for (int opening = 1; opening <= 3; ++opening) {
        openEditor();
        expectToolbarOnTop("opening " + std::to_string(opening));
        press({keysym::escape});
        expectEditorClosed();
    }
    openEditor();
    ASSERT_EQ(vantile->run({"show"}).exitCode, 0);
    settle();
    expectToolbarOnTop("vantile show");
    click(1950, 1000); // an empty spot of the second monitor
    expectToolbarOnTop("a click in an editor window");
    click(kPresetListX, kToolbarRowY);
    press({keysym::down});
    press({keysym::returnKey});
    expectToolbarOnTop("a preset loaded");
}

// Escape closes the open preset list and Return loads the highlighted preset; neither reaches the
// editor, which stays open until its own Return applies what was loaded.
TEST_P(RegionEditorUnderWm, ThePresetListKeepsItsKeys) {
    openEditor();
    click(kPresetListX, kToolbarRowY);
    press({keysym::escape});
    ASSERT_TRUE(editorOpen()) << "Escape closed the editor, not the list" << vantile->report();
    click(kPresetListX, kToolbarRowY);
    press({keysym::down}); // from the "Presets..." title to Halves, then Thirds
    press({keysym::down});
    press({keysym::returnKey});
    ASSERT_TRUE(editorOpen()) << "Return in the list applied the editor";
    press({keysym::returnKey});
    expectEditorClosed();
    snapToRegion(keysym::one);
    const Rect visible = window->visibleFrameInRoot();
    EXPECT_NEAR(visible.width, 640, 1) << "Ctrl+Alt+1: the first of the loaded Thirds";
}

// Ctrl+Alt+Return is also the maximize shortcut; in the editor it applies.
TEST_P(RegionEditorUnderWm, CtrlAltReturnAppliesTheEditorAndMovesNoWindow) {
    openEditor();
    press({keysym::controlL, keysym::altL, keysym::returnKey});
    expectEditorClosed();
    EXPECT_EQ(window->visibleFrameInRoot(), start);
}

// Dragging the editor's boundary to the screen's edge is the editor's gesture, not a drag to snap.
TEST_P(RegionEditorUnderWm, TheEditorsOwnDragShowsNoPreviewAndSnapsNothing) {
    openEditor();
    const std::size_t editorOverlays = viewableOverlays(x()).size();
    input->moveTo(960, 300); // on the boundary between the first monitor's halves
    input->pressButton(1);
    settle();
    input->moveTo(500, 300);
    input->moveTo(2, 300);
    settle();
    EXPECT_FALSE(waitUntil([&] { return viewableOverlays(x()).size() > editorOverlays; }, 500ms))
        << "a preview came up over the editor";
    input->releaseButton(1);
    settle();
    press({keysym::escape});
    expectEditorClosed();
    EXPECT_EQ(window->visibleFrameInRoot(), start) << "the release snapped the window behind";
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, RegionEditorUnderWm,
                         ::testing::Values(WmKind::Openbox, WmKind::IceWM));

} // namespace
} // namespace vantile::test
