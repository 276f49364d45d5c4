// The application on the in-memory desktop: launch and the permission, the onboarding window, the
// tray menu and the instance's commands, the region editor as the application runs it, and the
// window managers' own settings that compete with dragging to an edge.

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <sstream>

#include "app/edge_behaviours.h"
#include "app/preset_listing.h"
#include "base/file_io.h"
#include "platform/key_chords.h"
#include "unit/desktop_test.h"

namespace vantile {
namespace {

using test::preset;
using Strings = std::vector<std::string>;

class AppTest : public test::DesktopTest {
  protected:
    void launch() {
        AppEnvironment env = test::fakeAppEnvironment(desktop, preview, regions);
        env.activate = [this] { ++activations; };
        env.terminate = [this] { ++terminations; };
        env.notify = [this](const Notice& notice) { notices.push_back(notice); };
        env.watchFile = [this](const std::filesystem::path&, std::function<void()> changed) {
            fileChanged = std::move(changed);
        };
        app = std::make_unique<AppDelegate>(std::move(env));
        app->applicationDidFinishLaunching();
    }
    // The managers, the monitors and polls on the desktop, the onboarding window, activations
    // and terminations.
    std::string state() const {
        std::ostringstream out;
        out << (app->windowManager() ? "managers" : "no managers") << ", monitors "
            << desktop.installedMonitors() << ", polls " << desktop.pendingTasks()
            << (app->onboardingWindow() ? ", onboarding" : "") << ", activated " << activations
            << ", terminated " << terminations;
        return out.str();
    }
    test::FakeOnboardingWindow& onboarding() {
        return static_cast<test::FakeOnboardingWindow&>(*app->onboardingWindow());
    }
    test::FakeEditorWindow& window(std::size_t i) {
        return static_cast<test::FakeEditorWindow&>(*app->editorWindows().at(i));
    }
    test::FakeEditorToolbar& toolbar() {
        return static_cast<test::FakeEditorToolbar&>(*app->editorToolbar());
    }

    int activations = 0;
    int terminations = 0;
    std::vector<Notice> notices;
    std::function<void()> fileChanged;
    std::unique_ptr<AppDelegate> app;
};

class AppDelegateTest : public AppTest {
  protected:
    Screen screen = addLaptop();
    std::uint64_t focused = desktop.addFocusedWindow({100, 100, 400, 300});
    const Rect unmoved{100, 100, 400, 300};
};

TEST_F(AppDelegateTest, TrustedAtLaunchSetsUpAtOnceAndSnapsWithoutPolling) {
    launch();
    EXPECT_EQ(state(), "managers, monitors 4, polls 0, activated 0, terminated 0");
    app->handleURL("vantile://snap?action=leftHalf");
    EXPECT_EQ(frame(focused), (Rect{0, 25, 720, 875}));
    desktop.pressKey({124, ShortcutManager::controlOption});
    EXPECT_EQ(frame(focused), (Rect{720, 25, 720, 875})) << "shortcuts work at once";
}

// The user's bindings in shortcuts.json beside the chosen presets are the ones registered; a key
// another program holds and a bad entry are told once, with a free key offered; a change to the
// file applies at once.
TEST_F(AppDelegateTest, ShortcutsFileAppliesAtOnceAndTakenOrBadBindingsAreToldOnce) {
    const auto file = config.path() / "shortcuts.json";
    std::ofstream(file) << R"({"leftHalf": "Super+H", "rightHalf": "", "nope": "U"})";
    desktop.shortcuts.taken = {*parseChord("Ctrl+Alt+Up")};
    launch();
    desktop.pressKey({124, ShortcutManager::controlOption});
    EXPECT_EQ(frame(focused), unmoved) << "rightHalf has no key";
    desktop.pressKey({4, modifier::command});
    EXPECT_EQ(frame(focused), (Rect{0, 25, 720, 875}));
    const std::string listing = app->runCommand({"shortcuts"}).text;
    for (const char* line :
         {"Super+H\tleftHalf\tactive\n", "\trightHalf\tunbound\n", "Ctrl+Alt+Up\ttopHalf\ttaken\n",
          "\"U\"\tnope\tinvalid\tno such command\n"}) {
        EXPECT_NE(listing.find(line), std::string::npos) << line << " in " << listing;
    }
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].body.find("Another program holds Ctrl+Alt+Up (topHalf)."),
              std::string::npos)
        << notices[0].body;
    EXPECT_NE(notices[0].body.find("nope: no such command"), std::string::npos);
    EXPECT_EQ(notices[0].actionLabel, "Use Ctrl+Alt+Super+Up");

    notices[0].action();
    EXPECT_EQ(*readWholeFile(file),
              "{\n  \"leftHalf\": \"Super+H\",\n  \"nope\": \"U\",\n  "
              "\"rightHalf\": \"\",\n  \"topHalf\": \"Ctrl+Alt+Super+Up\"\n}\n");
    desktop.pressKey({126, ShortcutManager::controlOption | modifier::command});
    EXPECT_EQ(frame(focused), (Rect{0, 25, 1440, 437.5})) << "the free key took over at once";

    std::ofstream(file) << R"({"leftHalf": "Ctrl+Alt+L"})";
    fileChanged();
    desktop.pressKey({4, modifier::command});
    EXPECT_EQ(frame(focused), (Rect{0, 25, 1440, 437.5})) << "Super+H no longer";
    desktop.pressKey({37, ShortcutManager::controlOption});
    EXPECT_EQ(frame(focused), (Rect{0, 25, 720, 875}));
    EXPECT_EQ(notices.size(), 1u) << "a good file is not announced";

    std::ofstream(file) << "{oops";
    const CommandReply reload = app->runCommand({"reload"});
    EXPECT_EQ(reload.exitCode, commandSucceeded);
    EXPECT_NE(reload.notes.find("the file is no JSON object"), std::string::npos);
    EXPECT_EQ(notices.size(), 2u);
    desktop.pressKey({124, ShortcutManager::controlOption | 0xA00000});
    EXPECT_EQ(frame(focused), (Rect{720, 25, 720, 875})) << "the defaults, with a broken file";
    EXPECT_FALSE(app->saveShortcuts({{"leftHalf", {}}})) << "a broken file is not overwritten";
    EXPECT_EQ(*readWholeFile(file), "{oops");
}

TEST_F(AppDelegateTest, UntrustedShowsOnboardingPollsAndSetsUpOnceWithinOnePollOfTheGrant) {
    desktop.trusted = false;
    launch();
    EXPECT_EQ(onboarding().shown, 1);
    app->handleURL("vantile://snap?action=leftHalf");
    EXPECT_EQ(frame(focused), unmoved);
    app->handleURL("vantile://show?x=1"); // brings the onboarding window up again
    app->handleURL("vantile://other");
    desktop.advance(0.3);
    desktop.advance(0.3);
    EXPECT_TRUE(app->waitingForPermission());
    EXPECT_EQ(state(), "no managers, monitors 0, polls 1, onboarding, activated 2, terminated 0");
    desktop.trusted = true;
    desktop.advance(0.3);
    WindowManager* manager = app->windowManager();
    EXPECT_FALSE(app->waitingForPermission());
    EXPECT_EQ(state(), "managers, monitors 4, polls 0, activated 2, terminated 0");
    desktop.advance(1.0);
    EXPECT_EQ(app->windowManager(), manager) << "managers are created once";
}

TEST_F(AppDelegateTest, QuitBeforeThePermissionOrLosingTheDelegateCreatesNothing) {
    desktop.trusted = false;
    launch();
    onboarding().quitApp();
    desktop.trusted = true;
    desktop.advance(1.0);
    EXPECT_EQ(state(), "no managers, monitors 0, polls 0, onboarding, activated 1, terminated 1");
    desktop.trusted = false;
    launch();
    app.reset();
    desktop.trusted = true;
    desktop.advance(0.3); // its poll must not reach the destroyed delegate
    EXPECT_EQ(desktop.pendingTasks(), 0u);
}

TEST(OnboardingWindowTest, ReportsOnceAndStopsQuitAndCloseStopThePollFirst) {
    test::FakeDesktop desktop;
    bool trusted = false, pollingWhenQuitting = true;
    int granted = 0;
    test::FakeOnboardingWindow window(desktop, [&] { return trusted; });
    test::FakeOnboardingWindow silent(desktop, [&] { return trusted; }); // no callbacks
    test::FakeOnboardingWindow quitting(desktop, [&] { return trusted; });
    test::FakeOnboardingWindow closing(desktop, [&] { return trusted; });
    for (auto* reporting : {&window, &quitting, &closing}) {
        reporting->onAccessibilityGranted = [&] { ++granted; };
    }
    quitting.onQuit = [&] { pollingWhenQuitting = quitting.polling(); };
    desktop.advance(0.9);
    EXPECT_TRUE(window.polling() && silent.polling());
    quitting.quitApp();
    closing.close();
    EXPECT_FALSE(pollingWhenQuitting || closing.polling());
    EXPECT_EQ(closing.closed, 1);
    {
        test::FakeOnboardingWindow gone(desktop, [] { return true; });
        gone.onAccessibilityGranted = [&] { ++granted; };
    }
    trusted = true;
    desktop.advance(1.0); // no poll may reach the destroyed window
    EXPECT_EQ(granted, 1);
    EXPECT_FALSE(window.polling() || silent.polling());
    EXPECT_EQ(desktop.pendingTasks(), 0u);
}

// Titles, "---" for separators, then *checked, >submenu size, the key and its modifier flags, and
// whether it quits.
std::string describe(const std::vector<MenuItem>& items) {
    std::string out;
    for (const auto& item : items) {
        out += (item.separator ? "---" : item.title) + (item.checked ? " *" : "") +
               (item.submenu ? " >" + std::to_string(item.submenu->size()) : "") +
               (item.keyEquivalent.empty() ? "" : " ^" + item.keyEquivalent) +
               (item.modifierMask ? std::to_string(item.modifierMask) : "") +
               (item.action == MenuAction::quit ? " quits" : "") + "; ";
    }
    return out;
}

TEST(StatusMenu, TopLevelHasOneItemPerScreenBetweenSnapAndEdit) {
    const auto menu = buildStatusMenu(
        {{1, {0, 0, 1920, 1080}, {}, "Left Monitor"}, {2, {1920, 0, 1280, 1024}, {}, ""}});
    // Screen menus are filled as they open.
    EXPECT_EQ(describe(menu), "Snap Window >12; ---; Left Monitor >0;  >0; Edit Regions... "
                              "^e786432; Shortcuts...; ---; Quit ^q1048576 quits; ");
    EXPECT_EQ(describe(*menu[0].submenu),
              "Left Half; Right Half; Top Half; Bottom Half; ---; Left Third; Center Third; Right "
              "Third; ---; Maximize; Center; Restore; ");
}

// Choosing and snapping from the menu are shown by the presenter's own tests.
TEST_F(AppDelegateTest, StaleIndexesAndMalformedMenuObjectsDoNothingAndClearClears) {
    launch();
    const auto items = [&](std::int64_t index) {
        return screenMenuItems(index, desktop.screens(), *app->regionManager());
    };
    EXPECT_EQ(describe(items(1)) + describe(items(-1)), "") << "no such screen: not even Clear";
    const MenuItem thirds = items(0)[1];
    const std::pair<const char*, MenuValue> changes[] = {{"screenIndex", std::int64_t{1}},
                                                         {"presetID", std::string("not-a-uuid")},
                                                         {"presetID", Uuid::random().text()}};
    for (const auto& [member, value] : changes) {
        auto item = thirds;
        std::get<std::map<std::string, MenuValue>>(item.representedObject)[member] = value;
        app->loadPresetForScreen(item);
    }
    auto wrongType = thirds;
    wrongType.representedObject = std::int64_t{0};
    app->loadPresetForScreen(wrongType);
    EXPECT_TRUE(regions.activePresetIDs().empty());
    MenuItem snap{.title = "Restore", .action = MenuAction::menuSnapAction};
    MenuItem clear{.title = "Clear"};
    app->loadPresetForScreen(thirds);
    for (const RepresentedObject& value :
         {RepresentedObject{std::string("LeftHalf")}, RepresentedObject{std::string("0")},
          RepresentedObject{std::int64_t{5}}}) {
        snap.representedObject = clear.representedObject = value; // a string is not an index
        app->menuSnapAction(snap);
        app->clearScreenLayout(clear);
    }
    EXPECT_EQ(frame(focused), unmoved);
    EXPECT_EQ(describe(items(0)), "Halves; Thirds *; Quarters; Coding (60/40); ---; Clear; ");
    app->clearScreenLayout(items(0).back());
    EXPECT_EQ(describe(items(0)), "Halves; Thirds; Quarters; Coding (60/40); ---; Clear *; ");
    EXPECT_TRUE(regions.regionsForScreen(screen).empty());
}

const std::string halves = "00000000-0000-0000-0000-000000000001",
                  thirds = "00000000-0000-0000-0000-000000000002",
                  quarters = "00000000-0000-0000-0000-000000000003";

// The tray menu's actions as commands of the running instance, on two screens. The second,
// right of the primary, is taller, so in screen space it starts below zero.
class CommandsTest : public AppTest {
  protected:
    Screen first = desktop.addScreen({0, 0, 1920, 1080}, {0, 0, 1920, 1080});
    Screen second = desktop.addScreen({1920, -840, 1200, 1920}, {1920, -840, 1200, 1920});
    std::string key(const Screen& screen) const { return RegionManager::screenKey(screen); }
};

// The listing itself is shown end to end; here, what a name or a choice can do to it.
TEST_F(CommandsTest, PresetListingCleansNamesAndShowsUnknownChoicesAsNone) {
    regions.applyPreset(preset(1), first);
    regions.saveCustomPreset("Mine\tnow\x7f");
    const std::string listing = presetListing(
        desktop.screens(), regions.allPresets(),
        {{key(first), regions.allPresets().back().id}, {key(second), Uuid::random()}});
    EXPECT_EQ(
        listing.substr(0, listing.find("Presets:")),
        "Screens:\n1\tScreen 1\t1920x1080+0+0\tMine now \n2\tScreen 2\t1200x1920+1920+0\t-\n");
    EXPECT_EQ(listing.substr(listing.rfind("Mine")),
              "Mine now \t" + regions.allPresets().back().id.text() + "\n");
    EXPECT_EQ(screenGeometry({-1000.4, 1079.6, 1000, 600}, {0, 0, 1920, 1080}),
              "1000x600-1000-600");
}

TEST_F(CommandsTest, UseAndClearChangeTheNamedScreenOrRefuseAndChangeNothing) {
    launch();
    desktop.pointer = {100, 100};
    regions.applyPreset(preset(0), second);
    regions.saveCustomPreset("Twin");
    regions.saveCustomPreset("Twin");
    const std::string twin = regions.allPresets()[4].id.text(); // the first of the two
    // A preset's id in any case names it (the built-in ids have no letters to change).
    std::string lowerTwin = twin;
    std::transform(lowerTwin.begin(), lowerTwin.end(), lowerTwin.begin(), ::tolower);
    const std::string noPreset = "no preset named 'Nonsense'; 'vantile presets' lists them",
                      noScreen = "no screen 3; this display has 2",
                      badScreen = "--screen needs a screen number (1, 2, ...)";
    const std::tuple<Strings, int, std::string, std::string, std::string> cases[] = {
        {{"use", "Quarters", "--screen", "2"}, 0, "", thirds, quarters},
        {{"use", "Halves"}, 0, "", halves, ""},
        {{"use", lowerTwin, "--screen", "1"}, 0, "", twin, ""},
        {{"use", "Twin", "--screen", "2"}, 0, "", thirds, twin},
        {{"clear"}, 0, "", "", ""},
        {{"clear", "--screen", "2"}, 0, "", thirds, ""},
        {{"use", "Nonsense"}, 2, noPreset, thirds, ""},
        {{"use", "Halves", "--screen", "3"}, 2, noScreen, thirds, ""},
        {{"clear", "--screen", "3"}, 2, noScreen, thirds, ""},
        {{"use", "Halves", "--screen", "x"}, 2, badScreen, thirds, ""}};
    // Each case starts with Thirds on screen 1, nothing on screen 2, the pointer on screen 1.
    for (const auto& [words, exitCode, error, onFirst, onSecond] : cases) {
        regions.clearLayout(second);
        regions.applyPreset(preset(1), first);
        const CommandReply reply = app->runCommand(words);
        std::map<std::string, std::string> expected{{key(first), onFirst}, {key(second), onSecond}};
        std::erase_if(expected, [](const auto& entry) { return entry.second.empty(); });
        EXPECT_EQ(std::tuple(reply.exitCode, reply.text, chosen()),
                  std::tuple(exitCode, error.empty() ? "" : "vantile: " + error + "\n", expected))
            << ::testing::PrintToString(words);
        EXPECT_EQ(regions.regionsForScreen(second).empty(), onSecond.empty()) << words[0];
    }
}

TEST_F(CommandsTest, OnlyQuitWorksUntilTheDesktopCanBeControlledAndEndsAfterTheReply) {
    desktop.trusted = false;
    launch();
    for (const Strings& words : {Strings{"presets"}, {"clear"}, {"edit"}, {"use", "Halves"}}) {
        const CommandReply reply = app->runCommand(words);
        EXPECT_EQ(reply.exitCode, 1) << words[0];
        EXPECT_NE(reply.text.find("cannot control this desktop yet"), std::string::npos);
    }
    EXPECT_TRUE(app->editorWindows().empty());
    desktop.trusted = true;
    desktop.advance(0.3);
    EXPECT_EQ(app->runCommand({"edit"}).exitCode, 0);
    EXPECT_EQ(app->editorWindows().size(), 2u) << "the editor opens on both screens";
    CommandReply quit = app->runCommand({"quit"});
    EXPECT_EQ(quit.exitCode, 0);
    EXPECT_EQ(terminations, 0) << "not before the answer has gone out";
    quit.afterReply();
    EXPECT_EQ(terminations, 1);
}

constexpr std::uint16_t kEscape = 53, kReturn = 36, kZ = 6, kE = 14;

// The region editor as the application runs it: which tree each screen starts from, where the
// toolbar goes, what the keys of the first window do, and what applying, cancelling, loading and
// saving leave behind.
class RegionEditorControlTest : public AppTest {
  protected:
    RegionEditorControlTest() { launch(); }
    // The number of regions in each screen's layout, then in each editor window's tree.
    std::string leaves() {
        std::string out;
        for (const Screen& screen : {first, second}) {
            const auto it = regions.activeLayouts().find(RegionManager::screenKey(screen));
            const bool laidOut = it != regions.activeLayouts().end();
            out += std::to_string(laidOut ? it->second.tree.allRegions().size() : 0) + " ";
        }
        for (const auto& window : app->editorWindows()) {
            out += std::to_string(window->workingTree().allRegions().size()) + " ";
        }
        return out;
    }
    bool key(std::uint16_t code, std::uint64_t flags = 0) {
        return desktop.pressKey({code, flags}, true);
    }
    Screen first = addLaptop();
    Screen second = desktop.addScreen({1440, 0, 1920, 1080}, {1440, 0, 1920, 1080});
};

// Windows on every screen and the toolbar on the pointer's are shown end to end.
TEST_F(RegionEditorControlTest, OpensOneWindowPerScreenFromItsLayoutOrHalvesOnceOnly) {
    regions.applyPreset(preset(1), second);
    desktop.pointer = {1440, 500}; // on the second screen's left edge
    const std::size_t monitorsBefore = desktop.installedMonitors();
    desktop.pressKey({kE, ShortcutManager::controlOption}); // Ctrl+Alt+E opens it
    EXPECT_EQ(leaves(), "0 3 2 3 ");
    EXPECT_TRUE(window(0).escapeMonitor() && !window(1).escapeMonitor()) << "the first is primary";
    EXPECT_EQ(toolbar().screen, second) << "a left edge belongs to its screen";
    window(1).userPresses();
    EXPECT_EQ(toolbar().orderedFront, 2) << "a press in any window brings the toolbar up";
    desktop.pointer = {1440 + 1920, 500}; // right edge of the second: on no screen
    app->openRegionEditor();
    EXPECT_EQ(app->editorWindows().size(), 2u) << "reopening yields one set of windows";
    EXPECT_EQ(desktop.installedMonitors(), monitorsBefore + 1) << "the old key monitor is gone";
    EXPECT_EQ(toolbar().screen, first);
    EXPECT_EQ(activations, 2);
}

TEST_F(RegionEditorControlTest, FinishAppliesEveryScreenInMemoryCancelChangesNothing) {
    regions.applyPreset(preset(0), first);
    const auto presetIds = regions.activePresetIDs();
    const auto behind = desktop.addFocusedWindow({100, 100, 400, 300});
    for (const bool apply : {false, true}) {
        app->openRegionEditor();
        const BSPNode& working = window(0).workingTree();
        window(0).userEdits(
            working.splitRegion(working.allRegions()[0].id, SplitDirection::vertical, 0.5));
        window(1).userEdits(builtInTree(preset(2)));
        // Ctrl+Alt+Return is also the maximize shortcut: while the editor is open, it applies.
        EXPECT_TRUE(apply ? key(kReturn, ShortcutManager::controlOption) : key(kEscape));
        EXPECT_EQ(app->editorToolbar(), nullptr);
        EXPECT_EQ(leaves(), apply ? "3 4 " : "2 0 ");
    }
    EXPECT_EQ(frame(behind), (Rect{100, 100, 400, 300}));
    EXPECT_EQ(regions.activePresetIDs(), presetIds) << "the chosen presets stay as they were";
    EXPECT_TRUE(regions.persistence().loadCustomPresets().empty()) << "nothing is written";
}

TEST_F(RegionEditorControlTest, UndoAndRedoKeysGoToTheFirstWindowUnlessTheToolbarHoldsKeys) {
    app->openRegionEditor();
    EXPECT_TRUE(key(kZ, modifier::control));
    EXPECT_TRUE(key(kZ, modifier::control | modifier::option));
    EXPECT_TRUE(key(kZ, modifier::control | modifier::shift));
    EXPECT_FALSE(key(kZ)) << "Z alone goes to the window";
    *toolbar().holdingKeys = true;
    EXPECT_FALSE(key(kEscape) || key(kReturn) || key(kZ, modifier::control))
        << "typing a name: the keys belong to the field";
    EXPECT_EQ(app->editorWindows().size(), 2u);
    EXPECT_EQ((std::vector{window(0).undos, window(0).redos, window(1).undos, window(1).redos}),
              (std::vector{2, 1, 0, 0}));
}

TEST_F(RegionEditorControlTest, LoadingPresetsReplacesTreesByKindOfPresetAndSavingApplies) {
    app->openRegionEditor();
    app->loadPresetIntoEditor(preset(2)); // Quarters, on every screen
    EXPECT_EQ(leaves(), "0 0 4 4 ");
    EXPECT_EQ(window(0).viewTree, window(0).workingTree()) << "the view shows the loaded tree";
    EXPECT_NE(window(0).workingTree(), window(1).workingTree()) << "a fresh tree per window";
    RegionPreset mine{Uuid::random(), "Mine", {}, 0, false};
    mine.layouts.emplace(RegionManager::screenKey(first), RegionLayout{builtInTree(preset(1))});
    app->loadPresetIntoEditor(mine);
    EXPECT_EQ(leaves(), "0 0 3 4 ") << "no layout for the second screen in the preset";
    // Saving, shown end to end, applies and keeps the editor open.
    toolbar().callbacks.onSave("Work");
    EXPECT_EQ(leaves(), "3 4 3 4 ");
}

TEST_F(RegionEditorControlTest, CallbacksAfterTheApplicationIsGoneAndEmptyOperationsAreHarmless) {
    app->openRegionEditor();
    const EditorToolbarCallbacks callbacks = toolbar().callbacks;
    app->closeRegionEditor();
    app->finishRegionEditing();
    app->loadPresetIntoEditor(preset(0));
    app->saveEditorAsPreset("Nothing open");
    EXPECT_EQ(regions.persistence().loadCustomPresets().size(), 1u) << "saving still saves";
    desktop.screenList.clear();
    app->openRegionEditor();
    EXPECT_TRUE(app->editorWindows().empty());
    EXPECT_EQ(app->editorToolbar(), nullptr) << "no screen: no editor";
    app.reset();
    callbacks.onDone(); // none may reach the destroyed application
    callbacks.onCancel();
    callbacks.onSave("Late");
    callbacks.onPresetSelected(preset(0));
    EXPECT_EQ(regions.persistence().loadCustomPresets().size(), 1u);
}

// Each window manager with the files it would find, and the part of the sentence reporting its
// edge behaviour; none when empty.
TEST(EdgeBehaviours, ReportedAsTheWindowManagersSettingsSayAndOnlyThen) {
    // The user's Openbox file wins over the stock one. A window manager, the one file (or setting,
    // as "schema key") it would find, and a part of the sentence reporting its edge behaviour; none
    // when empty.
    const std::string rc = "/c/openbox/rc.xml", stock = "/etc/xdg/openbox/rc.xml",
                      openbox = "<openbox_config><screenEdgeWarpTime>400</screenEdgeWarpTime>",
                      flux = "/h/.fluxbox/init", warp = "session.screen0.workspaceWarping:",
                      xfwm4 = "/c/xfce4/xfconf/xfce-perchannel-xml/xfwm4.xml";
    const std::array<std::string, 4> rows[] = {
        {"Openbox", stock, openbox, "screenEdgeWarpTime 400"},
        {"Openbox", rc, "<screenEdgeWarpTime>0<", ""},
        {"Openbox", "", "", ""},
        {"Fluxbox", flux, "session.screen0.toolbar.widthPercent: 100\n",
         "workspacewarping in " + flux},
        {"Fluxbox", flux, warp + "\tFalse\n", ""},
        {"Fluxbox", flux, warp + " true\n", "Fluxbox switches workspaces"},
        {"i3", stock, openbox, ""},
        {"xfwm4", "", "", "tile_on_move"},
        {"xfwm4", xfwm4, R"(<property name="tile_on_move" type="bool" value="false"/>)", ""},
        {"KWin", "", "", "ElectricBorderTiling"},
        {"KWin", "/c/kwinrc", "ElectricBorderMaximize=false\nElectricBorderTiling=false", ""},
        {"Marco", "org.mate.Marco.general allow-tiling", "false\n", ""},
        {"Marco", "", "", "allow-tiling"},
        {"GNOME Shell", "org.gnome.mutter edge-tiling", "true\n", "edge-tiling"}};
    for (const auto& [windowManager, path, text, expected] : rows) {
        std::map<std::string, std::string> files{{path == rc ? stock : "", openbox}, {path, text}};
        const auto read = [&](const std::string& p) {
            return files.contains(p) && p != "" ? std::optional(files.at(p)) : std::nullopt;
        };
        const auto found = competingEdgeBehaviours(
            windowManager,
            {"/h", "/c", read, [&](const std::string& schema, const std::string& key) {
                 return read(schema + " " + key);
             }});
        ASSERT_EQ(found.size(), expected.empty() ? 0u : 1u) << windowManager << " " << path;
        EXPECT_TRUE(found.empty() || found[0].find(expected) != std::string::npos) << found[0];
    }
}

} // namespace
} // namespace vantile
