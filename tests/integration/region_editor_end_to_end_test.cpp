// The region editor of the real program on two RandR monitors, used with the mouse and keys as a
// user would (XTest): it covers every monitor, its split buttons and boundaries change the layouts
// that Ctrl+Alt+N uses once applied, Escape leaves them alone, and a named preset is written and
// chosen. Under Openbox and under IceWM, which keeps the user's window active while the editor is
// open: the toolbar stays on top and is drawn, its preset list keeps its keys, the editor's keys
// come before the shortcuts, its own drags never snap a window, and at twice Qt's scale its
// windows cover the monitors in device pixels while their contents are laid out in logical ones.

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "support/titled_windows.h"
#include "support/vantile_program.h"
#include "support/wait.h"

namespace vantile::test {
namespace {

const std::vector<WantedMonitor> twoMonitors = {{"LEFT", 0, 0, 1920, 1080},
                                                {"RIGHT", 1920, 0, 1200, 1080}};
constexpr const char* kEditorTitle = "Vantile Region Editor";
constexpr const char* kToolbarTitle = "Vantile Region Editor Toolbar";

nlohmann::json readJson(const std::filesystem::path& path) {
    std::ifstream in(path);
    return nlohmann::json::parse(in, nullptr, false);
}

class RegionEditorEndToEnd : public ::testing::Test, public ProgramSession {
  protected:
    explicit RegionEditorEndToEnd(WmKind wm = WmKind::Openbox,
                                  const std::map<std::string, std::string>& environment = {},
                                  const std::vector<WantedMonitor>& monitors = twoMonitors)
        : ProgramSession(wm, monitors[1].x + monitors[1].width, 1080, monitors, {}, environment) {
        input->moveTo(900, 700); // on the first monitor, where the toolbar then goes
    }

    xcb_connection_t* x() { return desktop.server->connection(); }
    // Drags with the left button along the middle of the first monitor, in steps as a hand does.
    void drag(int fromX, int toX) {
        input->moveTo(fromX, 300);
        input->pressButton(1);
        for (int step = 1; step <= 12; ++step) {
            input->moveTo(fromX + (toX - fromX) * step / 12, 300);
        }
        input->releaseButton(1);
        settle();
    }
    // The editor's windows and its toolbar, from the bottom.
    std::vector<std::string> editorWindows() {
        return stackedTitles(x(), {kEditorTitle, kToolbarTitle});
    }
    bool editorOpen() {
        const auto open = editorWindows();
        return open.size() == 3 && std::ranges::count(open, kToolbarTitle) == 1;
    }
    std::vector<Rect> editorsFromTheLeft() {
        auto editors = viewableWindowsTitled(x(), kEditorTitle);
        std::ranges::sort(editors, {}, &Rect::x);
        return editors;
    }
    xcb_window_t focused() {
        XcbReply<xcb_get_input_focus_reply_t> focus(
            xcb_get_input_focus_reply(x(), xcb_get_input_focus(x()), nullptr));
        return focus ? focus->focus : xcb_window_t(XCB_WINDOW_NONE);
    }
    // Keys typed before the editor holds the keyboard go to the window that still does.
    void openEditor() {
        keys({XK_Control_L, XK_Alt_L, XK_e});
        ASSERT_TRUE(waitUntil(
            [&] { return editorOpen() && titleOf(x(), focused()) == kEditorTitle; }, 5000ms))
            << vantile->report();
    }
    // Closes it with the keys, and waits until every editor window has gone.
    void closeEditor(const std::vector<xcb_keysym_t>& closing) {
        keys(closing);
        EXPECT_TRUE(waitUntil([&] { return editorWindows().empty(); }, 5000ms))
            << vantile->report();
    }
    // Region n of the first monitor's layout, by Ctrl+Alt+n.
    void snapToRegion(xcb_keysym_t digit) {
        window->activate();
        keys({XK_Control_L, XK_Alt_L, digit});
    }
};

// "New Preset" at (244, 10, 82, 28) from the toolbar's bottom-left corner; the preset list at
// (12, 10, 140, 28).
constexpr int kNewPresetX = 720 + 244 + 41, kPresetListX = 720 + 82, kToolbarRowY = 16 + 48 - 24;

// The first monitor starts from Halves; the left half's "two columns" button sits 4 px right of
// its centre and 14 to 42 px below it: Qt's (484..512, 554..582) on a 1080-high monitor. The
// first column's own lies 240 px further left.
constexpr int kSplitLeftHalfX = 498, kSplitFirstColumnX = 258, kSplitY = 568;

// It covers every monitor, its veil dark and opaque without a compositor and translucent with one
// (which announces itself by owning a selection). Return applies a split or a boundary dragged
// (Ctrl+Z taking back a whole gesture), Escape leaves the layouts as they were.
TEST_F(RegionEditorEndToEnd, CoversEveryMonitorAndReturnAppliesWhatEscapeDoesNot) {
    const auto editorDepth = [&] { // of the editor window that has the keys
        XcbReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(x(), xcb_get_geometry(x(), focused()), nullptr));
        return geometry ? geometry->depth : 0;
    };
    openEditor();
    EXPECT_EQ(editorsFromTheLeft(), (std::vector<Rect>{{0, 0, 1920, 1080}, {1920, 0, 1200, 1080}}));
    EXPECT_EQ(viewableWindowsTitled(x(), kToolbarTitle), (std::vector<Rect>{{720, 16, 480, 48}}))
        << "centred on the pointer's monitor, 16 px below its top";
    EXPECT_EQ(editorDepth(), 24);
    click(kSplitLeftHalfX, kSplitY);
    closeEditor({XK_Return});
    snapToRegion(XK_1);
    EXPECT_TRUE(window->landsAt({0, 0, 480, 1080})) << "Ctrl+Alt+1: the left half's first column";
    snapToRegion(XK_3);
    EXPECT_TRUE(window->landsAt({960, 0, 960, 1080})) << "Ctrl+Alt+3: the right half";

    openEditor();
    click(kSplitFirstColumnX, kSplitY);
    drag(960, 1500);
    closeEditor({XK_Escape});
    snapToRegion(XK_3);
    EXPECT_TRUE(window->landsAt({960, 0, 960, 1080})) << "Ctrl+Alt+3 still the right half";

    openEditor();
    drag(960, 1440);
    drag(1440, 1200);
    keys({XK_Control_L, XK_z});
    closeEditor({XK_Return});
    snapToRegion(XK_3);
    EXPECT_TRUE(window->landsAt({1440, 0, 480, 1080}))
        << "Ctrl+Alt+3 right of the dragged boundary";

    const xcb_window_t owner = xcb_generate_id(x());
    xcb_create_window(x(), XCB_COPY_FROM_PARENT, owner, desktop.server->root(), 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_set_selection_owner(x(), owner, Atoms(x())("_NET_WM_CM_S0"), XCB_CURRENT_TIME);
    xcb_flush(x());
    openEditor();
    EXPECT_EQ(editorDepth(), 32);
}

// A named preset is written and chosen for every screen. An edit applied over it survives a panel
// coming: only a change of monitors brings the remembered presets back.
TEST_F(RegionEditorEndToEnd, ANewPresetIsWrittenAndChosenAndAnEditOverItOutlivesAPanel) {
    openEditor();
    click(kSplitLeftHalfX, kSplitY);
    click(kNewPresetX, kToolbarRowY);
    for (const char letter : std::string("work")) {
        input->chord({input->keycodeOf(xcb_keysym_t(letter))});
    }
    keys({XK_Return});
    EXPECT_TRUE(editorOpen()) << "saving keeps the editor open";
    std::vector<nlohmann::json> written;
    for (const auto& file : std::filesystem::directory_iterator(configDir / "Presets")) {
        written.push_back(readJson(file.path()));
    }
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0]["name"], "work");
    const auto choice = readJson(configDir / "active_config.json")["presetPerScreen"];
    EXPECT_EQ(choice["0_0_1920_1080"], written[0]["id"]) << choice.dump();
    EXPECT_EQ(choice["1920_0_1200_1080"], written[0]["id"]) << choice.dump();
    closeEditor({XK_Escape});
    snapToRegion(XK_1);
    EXPECT_TRUE(window->landsAt({0, 0, 480, 1080})) << "the saved preset is in force";

    openEditor();
    click(kSplitFirstColumnX, kSplitY);
    closeEditor({XK_Return});
    auto panel = ClientWindow::create(
        *desktop.server,
        ClientWindowOptions::panel({0, 0, 1920, 40}, {0, 0, 40, 0, 0, 0, 0, 0, 0, 1919}));
    panel->map();
    settle();
    snapToRegion(XK_1);
    EXPECT_TRUE(window->landsAt({0, 40, 240, 1040}))
        << "Ctrl+Alt+1: the edited first column, below the panel";
}

// The colours on screen in a root rect (24-bit, as the test servers run); empty when unreadable.
std::vector<std::uint32_t> rootPixels(XServer& server, const Rect& r) {
    xcb_connection_t* c = server.connection();
    XcbReply<xcb_get_image_reply_t> image(xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, server.root(), std::int16_t(r.x),
                      std::int16_t(r.y), std::uint16_t(r.width), std::uint16_t(r.height),
                      0xffffff), // the colour bits only
        nullptr));
    const std::size_t count = std::size_t(r.width * r.height);
    if (!image || std::size_t(xcb_get_image_data_length(image.get())) < count * 4) {
        return {};
    }
    const auto* data = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image.get()));
    return {data, data + count};
}

// IceWM keeps the user's window active while the editor is open.
class RegionEditorUnderWm : public RegionEditorEndToEnd,
                            public ::testing::WithParamInterface<WmKind> {
  protected:
    RegionEditorUnderWm() : RegionEditorEndToEnd(GetParam()) {}

    void expectToolbarOnTop(const std::string& after) {
        const std::vector<std::string> onTop = {kEditorTitle, kEditorTitle, kToolbarTitle};
        EXPECT_TRUE(waitUntil([&] { return editorWindows() == onTop; }, 2000ms)) << after;
    }
};

// The editor's own drags and keys never move a window. The toolbar stays above the editor windows
// and is drawn, on either monitor (no compositor
// runs): inside its rounded corners, the panel's colour and its controls, not one flat colour.
TEST_P(RegionEditorUnderWm, OwnDragsMoveNoWindowToolbarDrawnOnTopPresetListKeepsItsKeys) {
    const auto expectToolbarDrawn = [&] {
        const Rect inner = inset(viewableWindowsTitled(x(), kToolbarTitle).at(0), 12, 12);
        std::set<std::uint32_t> colours;
        EXPECT_TRUE(waitUntil(
            [&] {
                const auto pixels = rootPixels(*desktop.server, inner);
                colours = std::set<std::uint32_t>(pixels.begin(), pixels.end());
                return colours.size() > 2;
            },
            6000ms))
            << colours.size() << " colours in the toolbar at " << describe(inner);
    };
    // Dragging the editor's boundary to the screen's edge is the editor's gesture, not a drag to
    // snap; Ctrl+Alt+Return, also the maximize shortcut, applies the editor and moves no window.
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
    closeEditor({XK_Control_L, XK_Alt_L, XK_Return});
    EXPECT_EQ(window->visibleFrameInRoot(), start);
    for (int opening = 1; opening <= 3; ++opening) {
        openEditor();
        expectToolbarOnTop("opening " + std::to_string(opening));
        closeEditor({XK_Escape});
    }
    input->moveTo(2500, 700); // the second monitor, where the toolbar then goes
    openEditor();
    expectToolbarDrawn();
    closeEditor({XK_Escape});
    input->moveTo(900, 700);
    openEditor();
    expectToolbarDrawn();
    ASSERT_EQ(vantile->run({"show"}).exitCode, 0);
    settle();
    expectToolbarOnTop("vantile show");
    click(1950, 1000); // an empty spot of the second monitor
    expectToolbarOnTop("a click in an editor window");
    // Escape closes the open preset list and Return loads the highlighted preset; neither reaches
    // the editor, which stays open until its own Return applies what was loaded.
    click(kPresetListX, kToolbarRowY);
    keys({XK_Escape});
    ASSERT_TRUE(editorOpen()) << "Escape closed the editor, not the list";
    click(kPresetListX, kToolbarRowY);
    keys({XK_Down}); // from the "Presets..." title to Halves, then Thirds
    keys({XK_Down});
    keys({XK_Return});
    ASSERT_TRUE(editorOpen()) << "Return in the list applied the editor";
    expectToolbarOnTop("a preset loaded");
    closeEditor({XK_Return});
    snapToRegion(XK_1);
    EXPECT_EQ(window->visibleFrameInRoot().width, 640) << "Ctrl+Alt+1: the first of the Thirds";
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, RegionEditorUnderWm,
                         ::testing::Values(WmKind::Openbox, WmKind::IceWM));

class EditorAtTwiceTheScale : public RegionEditorEndToEnd,
                              public ::testing::WithParamInterface<WmKind> {
  protected:
    EditorAtTwiceTheScale()
        : RegionEditorEndToEnd(GetParam(), {{"QT_SCALE_FACTOR", "2"}},
                               {{"LEFT", 0, 0, 1920, 1080}, {"RIGHT", 1920, 0, 1920, 1080}}) {}
};

// The windows cover the monitors in device pixels; the toolbar is 480x48 points 16 below the
// top; on each monitor the boundary of the Halves lies at the middle, in the accent, not in the
// region's colour a little to its left.
TEST_P(EditorAtTwiceTheScale, WindowsAreInDevicePixelsAndLayoutsInLogicalOnes) {
    openEditor();
    EXPECT_EQ(editorsFromTheLeft(), (std::vector<Rect>{{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}}));
    EXPECT_EQ(viewableWindowsTitled(x(), kToolbarTitle), (std::vector<Rect>{{480, 32, 960, 96}}));
    for (const int middle : {960, 2880}) {
        const auto differs = [&] {
            const auto pixels = rootPixels(*desktop.server, {double(middle - 100), 300, 101, 1});
            return pixels.size() == 101 && pixels.front() != pixels.back();
        };
        EXPECT_TRUE(waitUntil(differs, 5000ms)) << "no boundary at x = " << middle;
    }
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, EditorAtTwiceTheScale,
                         ::testing::Values(WmKind::Openbox, WmKind::IceWM));

} // namespace
} // namespace vantile::test
