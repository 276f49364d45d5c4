// Input on the in-memory desktop: dragging a window to a screen edge and the keyboard shortcuts.

#include <gtest/gtest.h>

#include "core/input/shortcut_manager.h"
#include "core/input/shortcut_table.h"
#include "core/input/snap_manager.h"
#include "platform/key_chords.h"
#include "unit/desktop_test.h"

namespace vantile {
namespace {

using test::str;

TEST(SnapZones, EdgesAndCornersOfTheScreensInScreenSpace) {
    const std::vector<Screen> screens{{1, {0, 0, 1440, 900}, {0, 0, 1440, 875}, ""},
                                      {2, {1440, 0, 1920, 1080}, {1440, 0, 1920, 1080}, ""}};
    const auto zone = [](Point p, const std::vector<Screen>& on) {
        const auto z = zoneAt(p, on);
        return z ? std::string(rawValue(z->action)) + " " + str(z->rect) + " on " +
                       std::to_string(z->screen.id)
                 : "none";
    };
    // Within 5 points of an edge, up to 10 outside it; max edges of that margin are exclusive.
    const std::pair<Point, const char*> rows[] = {{{2, 450}, "leftHalf 0,0 720x875 on 1"},
                                                  {{4.9, 450}, "leftHalf 0,0 720x875 on 1"},
                                                  {{2, 897}, "topLeft 0,437.5 720x437.5 on 1"},
                                                  {{720, 899}, "maximize 0,0 1440x875 on 1"},
                                                  {{720, 1}, "bottomHalf 0,0 1440x437.5 on 1"},
                                                  {{1439, 1}, "bottomRight 720,0 720x437.5 on 1"},
                                                  {{1443, 450}, "rightHalf 720,0 720x875 on 1"},
                                                  {{5, 450}, "none"},
                                                  {{720, 450}, "none"},
                                                  {{-10.5, 450}, "none"},
                                                  {{1450, 450}, "none"}};
    for (const auto& [point, expected] : rows) {
        EXPECT_EQ(zone(point, {screens[0]}), expected) << point.x << "," << point.y;
    }
    EXPECT_EQ(zone({2, 450}, {}), "none");
    // A shared edge belongs to the first listed screen; above the first, only the second catches.
    EXPECT_EQ(zone({1440, 500}, screens), "rightHalf 720,0 720x875 on 1");
    EXPECT_EQ(zone({1444, 1078}, screens), "topLeft 1440,540 960x540 on 2");
}

struct RecordingPreview : SnapPreview {
    void show(const Rect& rect) override { shown.push_back(rect); }
    void hide() override { shown.push_back({}); }
    bool visible() const { return !shown.empty() && shown.back() != Rect{}; }
    std::vector<Rect> shown; // an empty rect for each hiding
};

class SnapManagerTest : public test::DesktopTest {
  protected:
    SnapManagerTest() {
        addLaptop();
        snap.start();
    }
    void dragTo(Point p) {
        desktop.pointer = p;
        desktop.mouse(MouseEventKind::leftMouseDragged);
    }
    void release() { desktop.mouse(MouseEventKind::leftMouseUp); }

    RecordingPreview recorder;
    SnapManager snap{manager, desktop.drags, desktop, recorder};
    std::uint64_t window = desktop.addFocusedWindow({300, 300, 400, 300});
    const Rect unmoved{300, 300, 400, 300};
};

TEST_F(SnapManagerTest, PreviewChangesOnlyWithTheZoneAndReleaseSnaps) {
    dragTo({600, 400});
    EXPECT_FALSE(snap.isDragging()) << "a drag away from the edges";
    dragTo({2, 450});
    dragTo({2, 500}); // moving within one zone changes nothing
    dragTo({2, 897});
    dragTo({600, 450});
    EXPECT_TRUE(snap.isDragging() && !recorder.visible()) << "out of the zone, still dragging";
    dragTo({2, 897});
    release();
    EXPECT_EQ(recorder.shown,
              (std::vector<Rect>{
                  {0, 0, 720, 875}, {0, 437.5, 720, 437.5}, {}, {0, 437.5, 720, 437.5}, {}}));
    EXPECT_EQ(frame(window), (Rect{0, 25, 720, 437.5})) << "top left of the visible frame";
    EXPECT_FALSE(snap.isDragging() || snap.currentZone());
    // Stopping mid-drag hides the preview and removes the monitors: the release snaps nothing.
    desktop.windows[window].frame = unmoved;
    dragTo({2, 450});
    snap.stop();
    EXPECT_FALSE(recorder.visible());
    EXPECT_EQ(desktop.installedMonitors(), 0u);
    release();
    EXPECT_EQ(frame(window), unmoved);
}

// Window managers that switch desktops at the screen's edge carry the dragged window along.
TEST_F(SnapManagerTest, AReleaseOnAnotherDesktopThanTheDragBeganOnSnapsNothing) {
    desktop.desktop = 0;
    dragTo({1439, 450});
    desktop.desktop = 1;
    release();
    EXPECT_EQ(frame(window), unmoved);
    EXPECT_FALSE(recorder.visible());
    dragTo({1439, 1});
    release();
    EXPECT_EQ(frame(window), (Rect{720, 462.5, 720, 437.5})) << "the next drag snaps";
}

TEST_F(SnapManagerTest, ADragThatArrivesDuringTheSnapIsNotWipedAfterIt) {
    dragTo({2, 450});
    desktop.duringRaise = [&] { dragTo({1439, 450}); };
    release();
    EXPECT_EQ(frame(window), (Rect{0, 25, 720, 875}));
    ASSERT_TRUE(snap.currentZone()) << "the new drag's zone is kept";
    EXPECT_EQ(snap.currentZone()->action, WindowAction::rightHalf);
    EXPECT_TRUE(recorder.visible());
}

constexpr std::uint64_t ctrlAlt = ShortcutManager::controlOption;
constexpr std::uint64_t arrow = modifier::numericPad | modifier::function;
constexpr std::uint16_t leftArrow = 123, rightArrow = 124, downArrow = 125, upArrow = 126;

struct CountingOpener : RegionEditorOpener {
    void openRegionEditor() override { ++opened; }
    bool regionEditorOpen() const override { return open; }
    int opened = 0;
    bool open = false;
};

class ShortcutManagerTest : public test::DesktopTest {
  protected:
    ShortcutManagerTest() { shortcuts.start(); }
    bool key(std::uint16_t code, std::uint64_t flags, bool own = true) {
        return desktop.pressKey({code, flags}, own);
    }

    Screen screen = addLaptop();
    std::uint64_t window = desktop.addFocusedWindow({100, 100, 400, 300});
    ShortcutManager shortcuts{manager, desktop.shortcuts};
};

TEST_F(ShortcutManagerTest, ControlAltKeysSnapOnlyWithExactlyThoseModifiers) {
    for (const auto flags : {ctrlAlt | modifier::capsLock, ctrlAlt | modifier::shift,
                             ctrlAlt | modifier::command, modifier::control}) {
        EXPECT_FALSE(key(leftArrow, flags | arrow)) << flags;
        key(leftArrow, flags | arrow, false);
    }
    EXPECT_EQ(frame(window), (Rect{100, 100, 400, 300})) << "caps lock, shift, Super, Ctrl alone";
    // Arrows (device-dependent bits do not count), Return, U, I and O (the thirds), C (centre at
    // its own size, set to 400 x 300 first) and R (back to where it stood before the first snap).
    const std::tuple<std::uint16_t, std::uint64_t, Rect> table[] = {
        {leftArrow, arrow | 0x100, {0, 25, 720, 875}},
        {rightArrow, arrow, {720, 25, 720, 875}},
        {upArrow, arrow, {0, 25, 1440, 437.5}},
        {downArrow, arrow, {0, 462.5, 1440, 437.5}},
        {36, 0, {0, 25, 1440, 875}},
        {32, 0, {0, 25, 480, 875}},
        {34, 0, {480, 25, 480, 875}},
        {31, 0, {960, 25, 480, 875}},
        {8, 0, {520, 312.5, 400, 300}},
        {15, 0, {100, 100, 400, 300}}};
    for (const auto& [code, flags, target] : table) {
        if (code == 8) {
            desktop.windows[window].frame = {0, 0, 400, 300};
        }
        const bool own = code % 2 == 0; // some to a window of this program, swallowed there
        EXPECT_EQ(key(code, ctrlAlt | flags, own), own) << "key " << code;
        EXPECT_EQ(frame(window), target) << "key " << code;
    }
}

TEST_F(ShortcutManagerTest, DigitsBracketsAndAltArrowsUseTheRegions) {
    regions.applyPreset(test::preset(1), screen); // thirds, 480 wide
    // 2, ], [, 9 (no such region: the key goes on), 0 (no shortcut), Alt+Right twice (nothing
    // further right the second time: the key goes on), Alt+Return (not a shortcut).
    const std::tuple<std::uint16_t, std::uint64_t, bool, double> thirds[] = {
        {19, ctrlAlt, true, 480},
        {30, ctrlAlt, true, 960},
        {33, ctrlAlt, true, 480},
        {25, ctrlAlt, false, 480},
        {29, ctrlAlt, false, 480},
        {rightArrow, modifier::option | arrow, true, 960},
        {rightArrow, modifier::option | arrow, false, 960},
        {36, modifier::option, false, 960}};
    for (const auto& [code, flags, swallowed, x] : thirds) {
        EXPECT_EQ(key(code, flags), swallowed) << "key " << code;
        EXPECT_EQ(frame(window).x, x) << "key " << code;
    }
    regions.applyPreset(test::preset(2), screen); // quarters of (0, 25, 1440, 875)
    desktop.windows[window].frame = {100, 100, 400, 300};
    const std::pair<std::uint16_t, Point> steps[] = {{downArrow, {0, 462.5}},
                                                     {rightArrow, {720, 462.5}},
                                                     {upArrow, {720, 25}},
                                                     {leftArrow, {0, 25}}};
    for (const auto& [code, origin] : steps) {
        key(code, modifier::option | arrow, false);
        EXPECT_EQ(frame(window).origin(), origin) << "key " << code;
    }
}

TEST_F(ShortcutManagerTest, EditorKeyAsksTheOpenerWhileItLivesAndStopRemovesTheMonitors) {
    auto opener = std::make_shared<CountingOpener>();
    shortcuts.setEditorOpener(opener);
    EXPECT_TRUE(key(14, ctrlAlt));
    EXPECT_EQ(opener->opened, 1);
    opener->open = true;
    EXPECT_FALSE(key(36, ctrlAlt)) << "Ctrl+Alt+Return is the open editor's";
    shortcuts.setKeysPassThrough([] { return true; });
    EXPECT_FALSE(key(14, ctrlAlt)) << "every key is the Shortcuts window's while it is active";
    shortcuts.setKeysPassThrough({});
    EXPECT_EQ(frame(window), (Rect{100, 100, 400, 300}));
    opener.reset();
    EXPECT_TRUE(key(14, ctrlAlt)) << "handled even with the opener gone";
    EXPECT_FALSE(key(0, ctrlAlt)) << "an A reaches the window";
    EXPECT_TRUE(key(36, ctrlAlt)) << "Ctrl+Alt+Return maximizes again";
    desktop.windows.erase(window);
    EXPECT_FALSE(key(leftArrow, ctrlAlt | arrow)) << "with no window the key goes on";

    EXPECT_EQ(desktop.installedMonitors(), 2u);
    shortcuts.stop();
    EXPECT_EQ(desktop.installedMonitors(), 0u);
    EXPECT_FALSE(shortcuts.monitoring());
    EXPECT_FALSE(key(rightArrow, ctrlAlt | arrow));
    {
        ShortcutManager scoped{manager, desktop.shortcuts};
        scoped.start();
        EXPECT_EQ(desktop.installedMonitors(), 2u);
    }
    EXPECT_EQ(desktop.installedMonitors(), 0u) << "destroying the manager removes its monitors";
    desktop.refuseMonitors = true;
    shortcuts.start();
    EXPECT_FALSE(shortcuts.monitoring());
}

TEST_F(ShortcutManagerTest, ReboundCommandsAnswerTheirNewChordsOnlyAndEachLineIsReported) {
    desktop.shortcuts.taken = {*parseChord("Ctrl+Alt+Up"), *parseChord("Ctrl+Alt+Super+Down"),
                               *parseChord("Ctrl+Alt+Super+Right")};
    auto bindings = readShortcutBindings(R"({"leftHalf": "Super+H", "rightHalf": "",
        "bottomHalf": "Ctrl+Alt+Down", "nope": "U"})");
    shortcuts.start(bindings);
    EXPECT_FALSE(key(leftArrow, ctrlAlt | arrow)) << "the old key of leftHalf";
    EXPECT_FALSE(key(rightArrow, ctrlAlt | arrow)) << "rightHalf has no key";
    EXPECT_TRUE(key(4, modifier::command));
    EXPECT_EQ(frame(window), (Rect{0, 25, 720, 875}));
    std::string lines;
    for (const auto& line : shortcuts.report()) {
        if (line.command.find("Half") != std::string::npos || line.command == "nope") {
            lines += line.chord + "|" + line.command + "|" + statusName(line.status) + "|" +
                     line.reason + "\n";
        }
    }
    EXPECT_EQ(lines, "Ctrl+Alt+Down|bottomHalf|active|\nSuper+H|leftHalf|active|\n"
                     "|rightHalf|unbound|\nCtrl+Alt+Up|topHalf|taken|\n"
                     "\"U\"|nope|invalid|no such command\n");
    // Ctrl+Alt+Super+Down is held elsewhere and bottomHalf is not taken anyway.
    desktop.shortcuts.taken.push_back(*parseChord("Ctrl+Alt+Down"));
    shortcuts.start(bindings);
    const auto alternatives = shortcuts.freeAlternatives();
    ASSERT_EQ(alternatives.size(), 1u);
    EXPECT_EQ(formatChord(alternatives.at("topHalf")), "Ctrl+Alt+Super+Up");
    EXPECT_EQ(desktop.installedMonitors(), 2u) << "probing keeps nothing registered";
}

TEST_F(ShortcutManagerTest, WhereTheDesktopBindsKeysItsKeysAreReportedAndChangesAreWrittenThere) {
    desktop.shortcuts.taken = {*parseChord("Ctrl+Alt+Up")};
    desktop.shortcuts.heldThere = {{"leftHalf", {"Meta+Left"}}, {"rightHalf", {}}};
    shortcuts.start();
    std::string lines;
    for (const auto& line : shortcuts.report()) {
        if (line.command == "leftHalf" || line.command == "rightHalf" ||
            line.command == "topHalf" || line.command == "regionLeft") {
            lines += line.chord + "|" + line.command + "|" + statusName(line.status) + "\n";
        }
    }
    EXPECT_EQ(lines, "Super+Left|leftHalf|active\nAlt+Left|regionLeft|unbound\n"
                     "|rightHalf|unbound\nCtrl+Alt+Up|topHalf|taken\n");
    EXPECT_EQ(desktop.shortcuts.offered,
              (std::vector<std::string>{"regionDown", "regionLeft", "regionRight", "regionUp"}))
        << "Alt+arrows are offered without their keys";
    EXPECT_TRUE(shortcuts.freeAlternatives().empty()) << "other keys are chosen in its settings";
    EXPECT_TRUE(shortcuts.rebindInDesktop({{"leftHalf", {*parseChord("Ctrl+Super+H")}}}));
    EXPECT_EQ(desktop.shortcuts.rebound.at("leftHalf"), std::vector{*parseChord("Ctrl+Super+H")});
}

// Each text and how it is written back; empty where it is no chord.
TEST(KeyChords, ReadInAnyOrderAndCaseAndWrittenCanonically) {
    const std::pair<const char*, const char*> rows[] = {{"Ctrl+Alt+Left", "Ctrl+Alt+Left"},
                                                        {"alt+ctrl+left", "Ctrl+Alt+Left"},
                                                        {"Meta+Shift+u", "Shift+Super+U"},
                                                        {"Super+]", "Super+]"},
                                                        {"Return", "Return"},
                                                        {"Ctrl+Ctrl+U", ""},
                                                        {"Ctrl+Alt", ""},
                                                        {"Ctrl+Alt+Left+U", ""},
                                                        {"Ctrl++", ""},
                                                        {"", ""},
                                                        {"Ctrl+Alt+Banana", ""},
                                                        {"Hyper+U", ""}};
    for (const auto& [text, written] : rows) {
        const auto chord = parseChord(text);
        EXPECT_EQ(chord ? formatChord(*chord) : "", written) << text;
    }
}

// The defaults, with a file's entries over them; bad entries are named and change nothing.
TEST(ShortcutFile, EntriesApplyOverTheDefaultsAndBadOnesAreNamed) {
    const auto bindings = readShortcutBindings(R"({"leftHalf": "Ctrl+Alt+Shift+H",
        "topLeft": ["Super+1", "super+2"], "restore": "", "nope": "U", "center": "Ctrl+Alt+Q+",
        "region1": "Ctrl+Alt+Right", "region2": "Super+K", "region3": ["Super+K"], "region4": 4})");
    std::string chords, problems;
    for (const char* name : {"leftHalf", "topLeft", "restore", "center", "region1", "region3"}) {
        chords += std::string(name) + ":";
        for (const auto& chord : bindings.chords.at(name)) {
            chords += " " + formatChord(chord);
        }
        chords += "; ";
    }
    for (const auto& problem : bindings.problems) {
        problems += problem.command + " ";
    }
    EXPECT_EQ(chords, "leftHalf: Ctrl+Alt+Shift+H; topLeft: Super+1 Super+2; restore:; center: "
                      "Ctrl+Alt+C; region1: Ctrl+Alt+1; region3: Ctrl+Alt+3; ");
    EXPECT_EQ(problems, "center nope region4 region2 region3 region1 ");
    EXPECT_EQ(readShortcutBindings("[").chords.at("leftHalf").size(), 1u);
    EXPECT_EQ(readShortcutBindings("[").problems.size(), 1u);
    EXPECT_EQ(shortcutCommands().size(), 31u);
}

} // namespace
} // namespace vantile
