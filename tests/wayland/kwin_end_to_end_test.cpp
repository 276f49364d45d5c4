// The real program against a real KWin on Wayland, headless: the same actions as on X11 land the
// window exactly, shortcuts are KWin's own, a killed instance leaves nothing behind twice, and a
// window dragged to an edge snaps there.

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <fstream>

#include "core/windows/window_action.h"
#include "support/harness_error.h"
#include "support/rect_printing.h"
#include "support/vantile_program.h"
#include "support/wait.h"
#include "wayland/fake_input.h"
#include "wayland/kwin_desktop.h"

namespace vantile::test {
namespace {

// What vantile needs of KWin's session; its home stays its own.
std::map<std::string, std::string> sessionOf(const KWinDesktop& kwin) {
    auto environment = kwin.environment();
    std::erase_if(environment, [](const auto& entry) {
        return entry.first != "DBUS_SESSION_BUS_ADDRESS" && entry.first != "WAYLAND_DISPLAY";
    });
    return environment;
}

std::unique_ptr<VantileProgram> startVantile(const KWinDesktop& kwin) {
    return VantileProgram::startOn(sessionOf(kwin), {"--desktop", "kwin"});
}

// KWin's own idea of where windows may go on an output: panels left out.
Rect usableArea(KWinDesktop& kwin, int output) {
    const auto lines = kwin.evaluate("var a = workspace.clientArea(KWin.MaximizeArea, " +
                                     std::to_string(output) + ", workspace.currentDesktop);\n" +
                                     "out(a.x + ' ' + a.y + ' ' + a.width + ' ' + a.height);");
    Rect area;
    std::istringstream(lines.at(0)) >> area.x >> area.y >> area.width >> area.height;
    return area;
}

bool landsAt(KWinDesktop& kwin, const std::string& title, const Rect& target) {
    return waitUntil([&] { return kwin.frameOf(title) == target; }, 3000ms, 20ms);
}

// KWin places in whole pixels: a target of 437.5 lands on 437 or 438.
Rect inPixels(const Rect& r) {
    return {std::round(r.x), std::round(r.y), std::round(r.width), std::round(r.height)};
}

// Has KScreen, as Plasma's display settings do, change an output ("output.Virtual-1.disable").
void configureOutput(const KWinDesktop& kwin, const std::string& change) {
    Process doctor({.argv = {"kscreen-doctor", change},
                    .environment = kwin.environment(),
                    .outputFile = kwin.environment().at("HOME") + "/kscreen-doctor.log"});
    if (doctor.waitExit(10000ms) != 0) {
        throw HarnessError("kscreen-doctor " + change + " failed: " + doctor.report());
    }
}

struct Layout {
    std::string name;
    int outputs;
    bool panel;
    // The first output at twice the scale, with the window on it.
    bool scaledFirst = false;
    friend void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }
};

class EveryActionOnKWin : public ::testing::TestWithParam<Layout> {};

TEST_P(EveryActionOnKWin, LandsWhereItBelongsAndRestoreReturnsExactly) {
    const Layout& layout = GetParam();
    KWinDesktop kwin({.outputs = layout.outputs});
    std::unique_ptr<Process> panel;
    if (layout.panel) {
        ProcessOptions options{.argv = {"gtk-layer-demo", "--anchor", "lrb", "--exclusive"},
                               .environment = kwin.environment()};
        options.environment["GDK_BACKEND"] = "wayland";
        panel = std::make_unique<Process>(options);
        ASSERT_TRUE(waitUntil([&] { return usableArea(kwin, 0).height < 800; }, 10000ms, 50ms))
            << "the panel reserved no space: " << panel->report();
    }
    if (layout.scaledFirst) {
        configureOutput(kwin, "output.Virtual-0.scale.2");
    }
    auto client = kwin.startClient("Snap Me", 400, 300);
    // On two outputs the window stands on the second one, which lies right of the first, unless
    // the first is the scaled one.
    const int output = layout.scaledFirst ? 0 : layout.outputs - 1;
    const Rect start{output * 1280.0 + 100, 50, 400, 300};
    kwin.place("Snap Me", start);
    ASSERT_TRUE(landsAt(kwin, "Snap Me", start))
        << describe(kwin.frameOf("Snap Me").value_or(Rect{}));
    auto vantile = startVantile(kwin);
    const Rect v = usableArea(kwin, output);

    const auto expect = [&](const std::string& action, const Rect& target) {
        vantile->snap(action);
        EXPECT_TRUE(landsAt(kwin, "Snap Me", inPixels(target)))
            << action << " should land at " << describe(inPixels(target)) << " (usable area "
            << describe(v) << ") but the window is at "
            << describe(kwin.frameOf("Snap Me").value_or(Rect{}));
    };
    expect("center", {v.midX() - 200, v.midY() - 150, 400, 300});
    for (const auto action : allWindowActions) {
        if (const auto target = targetFrame(action, v)) {
            expect(std::string(rawValue(action)), *target);
        }
    }
    expect("restore", start);
    expect("leftHalf", {v.x, v.y, v.width / 2, v.height});
    expect("restore", start);
    EXPECT_NE(vantile->report().find("vantile: note: KWin tiles"), std::string::npos)
        << vantile->report();
    if (layout.outputs == 2) {
        configureOutput(kwin, "output.Virtual-1.disable");
        EXPECT_TRUE(waitUntil(
            [&] { return vantile->run({"presets"}).output.find("\n2\t") == std::string::npos; },
            3000ms))
            << "the second screen is still listed after it went";
    }
}

INSTANTIATE_TEST_SUITE_P(
    KWin, EveryActionOnKWin,
    ::testing::Values(Layout{"OneOutputWithPanel", 1, true}, Layout{"TwoOutputs", 2, false},
                      Layout{"TwoOutputsTheFirstAtTwiceTheScale", 2, false, true}),
    [](const auto& info) { return info.param.name; });

// KGlobalAccel's names for the program's shortcuts on KWin's component, as often as each is there.
std::vector<std::string> vantileShortcutNames(const KWinDesktop& kwin) {
    const auto reply = kwin.dbusCall({"--dest=org.kde.kglobalaccel", "/component/kwin",
                                      "org.kde.kglobalaccel.Component.shortcutNames"});
    std::vector<std::string> names;
    std::istringstream lines(reply.value_or(""));
    for (std::string line; std::getline(lines, line);) {
        if (const auto at = line.find("\"vantile-"); at != std::string::npos) {
            names.push_back(line.substr(at + 1, line.rfind('"') - at - 1));
        }
    }
    return names;
}

TEST(KWinShortcuts, FireTheirCommandsAreReportedAsKWinHoldsThemAndSurviveAKilledInstance) {
    KWinDesktop kwin;
    // Another script holds Ctrl+Alt+Up before vantile starts.
    kwin.evaluate("registerShortcut('other-up', 'Other', 'Ctrl+Alt+Up', function () {});");
    auto client = kwin.startClient("Keys", 400, 300);
    auto vantile = startVantile(kwin);

    const std::string list = vantile->run({"shortcuts"}).output;
    for (const char* line : {"Ctrl+Alt+Left\tleftHalf\tactive", "Ctrl+Alt+Up\ttopHalf\ttaken",
                             "Alt+Left\tregionLeft\tunbound"}) {
        EXPECT_NE(list.find(line), std::string::npos) << line << " in:\n" << list;
    }
    // The user binds leftHalf to Ctrl+Meta+H in Plasma's settings, which write it to KGlobalAccel.
    ASSERT_TRUE(kwin.dbusCall({"--dest=org.kde.kglobalaccel", "/kglobalaccel",
                               "org.kde.KGlobalAccel.setForeignShortcut",
                               "array:string:kwin,vantile-leftHalf,KWin,Vantile: leftHalf",
                               "array:int32:" + std::to_string(0x04000000 | 0x10000000 | 'H')}));
    EXPECT_NE(vantile->run({"shortcuts"}).output.find("Ctrl+Super+H\tleftHalf\tactive"),
              std::string::npos);
    // Typed on a keyboard, the new keys reach the program through KWin's own shortcut handling.
    FakeInput(kwin.environment().at("WAYLAND_DISPLAY")).chord({KEY_LEFTCTRL, KEY_LEFTMETA, KEY_H});
    EXPECT_TRUE(landsAt(kwin, "Keys", {0, 0, 640, 800}));
    EXPECT_EQ(std::ranges::count(vantileShortcutNames(kwin), "vantile-leftHalf"), 1);
    // Another program on the bus cannot press vantile's shortcuts in KWin's name.
    std::istringstream busNames(
        kwin.dbusCall({"--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                       "org.freedesktop.DBus.ListNames"})
            .value_or(""));
    for (std::string line; std::getline(busNames, line);) {
        const auto at = line.find("\":");
        const std::string name =
            at == std::string::npos ? "" : line.substr(at + 1, line.rfind('"') - at - 1);
        const auto owner =
            kwin.dbusCall({"--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus.GetConnectionUnixProcessID", "string:" + name});
        if (!name.empty() && owner &&
            owner->find(" " + std::to_string(vantile->pid()) + "\n") != std::string::npos) {
            kwin.dbusCall({"--dest=" + name, "/org/vantile/Bridge", "org.vantile.Bridge.event",
                           R"(string:{"e":"shortcut","name":"vantile-rightHalf"})"});
        }
    }
    ASSERT_TRUE(vantile->ping());
    EXPECT_EQ(kwin.frameOf("Keys"), (Rect{0, 0, 640, 800}));

    // A killed instance leaves its script loaded; the next one replaces it and registers once.
    ::kill(vantile->pid(), SIGKILL);
    vantile = startVantile(kwin);
    kwin.pressShortcut("vantile-rightHalf");
    EXPECT_TRUE(landsAt(kwin, "Keys", {640, 0, 640, 800}));
    // A new key in the program's file follows for commands the user left alone in Plasma's
    // settings, and the user's own keys stay.
    std::filesystem::create_directories(vantile->configDir());
    std::ofstream(vantile->configDir() / "shortcuts.json")
        << R"({"rightHalf": "Ctrl+Alt+L", "leftHalf": "Ctrl+Alt+H"})";
    ASSERT_EQ(vantile->run({"reload"}).exitCode, 0);
    const std::string reloaded = vantile->run({"shortcuts"}).output;
    for (const char* line : {"Ctrl+Alt+L\trightHalf\tactive", "Ctrl+Super+H\tleftHalf\tactive"}) {
        EXPECT_NE(reloaded.find(line), std::string::npos) << line << " in:\n" << reloaded;
    }
    // Region keys use the layout of the window's screen.
    ASSERT_EQ(vantile->run({"use", "Thirds"}).exitCode, 0);
    kwin.pressShortcut("vantile-region3");
    EXPECT_TRUE(landsAt(kwin, "Keys", inPixels({1280.0 * 2 / 3, 0, 1280.0 / 3, 800})));
    const auto names = vantileShortcutNames(kwin);
    EXPECT_EQ(std::ranges::count(names, "vantile-rightHalf"), 1);
    EXPECT_EQ(std::ranges::count(names, "vantile-topHalf"), 0) << "a taken key is not registered";

    // `vantile show` brings the program's open window to the front, with the keys.
    ASSERT_EQ(vantile->run({"shortcuts", "--edit"}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return kwin.frameOf("Shortcuts").has_value(); }, 5000ms));
    const auto activate = [&](const std::string& title) {
        return kwin.evaluate("workspace.clientList().forEach(function (c) { if (c.caption === '" +
                             title + "') { workspace.activeClient = c; } });");
    };
    activate("Keys");
    ASSERT_EQ(vantile->run({"show"}).exitCode, 0);
    EXPECT_TRUE(waitUntil(
        [&] { return kwin.evaluate("out(workspace.activeClient.caption);").at(0) == "Shortcuts"; },
        3000ms));
}

// The first output at twice the scale: 640 x 400 of KWin's (and Qt's) logical pixels.
TEST(KWinEditor, CoversBothOutputsWithItsToolbarAboveAndTakesTheKeysOnThePrimary) {
    KWinDesktop kwin({.outputs = 2});
    configureOutput(kwin, "output.Virtual-0.scale.2");
    auto client = kwin.startClient("Work", 400, 300);
    auto vantile = startVantile(kwin);
    ASSERT_EQ(vantile->run({"edit"}).exitCode, 0);
    EXPECT_TRUE(landsAt(kwin, "Vantile Region Editor", {0, 0, 640, 400}));
    EXPECT_TRUE(landsAt(kwin, "Vantile Region Editor 2", {1280, 0, 1280, 800}));
    // Stacking, from the bottom: the client, the editor windows, the toolbar; keys to the primary.
    const auto stacking = kwin.evaluate(
        "workspace.clientList().slice().sort(function (a, b) { return a.stackingOrder - "
        "b.stackingOrder; }).forEach(function (c) { out(c.caption + (c === "
        "workspace.activeClient ? ' (active)' : '')); });");
    EXPECT_EQ(stacking.front(), "Work");
    EXPECT_EQ(stacking.back(), "Vantile Region Editor Toolbar");
    EXPECT_NE(std::ranges::find(stacking, "Vantile Region Editor (active)"), stacking.end());
    const Rect toolbar = kwin.frameOf("Vantile Region Editor Toolbar").value_or(Rect{});
    EXPECT_TRUE(toolbar.width > 0 && toolbar.minX() >= 0 && toolbar.maxX() <= 640)
        << "the toolbar stands on the primary output: " << describe(toolbar);
    // Escape, typed on the keyboard, reaches the editor and closes it on both outputs.
    FakeInput(kwin.environment().at("WAYLAND_DISPLAY")).chord({KEY_ESC});
    EXPECT_TRUE(waitUntil([&] { return !kwin.frameOf("Vantile Region Editor 2"); }, 3000ms));
}

// GNOME Shell and wlroots compositors have no KWin on the bus: the program says so and waits,
// showing its window on the Wayland display, never reaching for XWayland.
TEST(KWinAbsent, TheDesktopIsNamedAndNothingCanBeControlled) {
    KWinDesktop kwin;
    TempDir folder;
    SessionBus otherBus(folder.path());
    auto session = sessionOf(kwin);
    session["DBUS_SESSION_BUS_ADDRESS"] = otherBus.address();
    session["XDG_CURRENT_DESKTOP"] = "GNOME";
    auto vantile = VantileProgram::startOn(session);
    EXPECT_TRUE(
        waitUntil([&] { return kwin.frameOf("Vantile Window Manager").has_value(); }, 5000ms))
        << "no onboarding window on the Wayland display: " << vantile->report();
    EXPECT_NE(vantile->report().find("GNOME on Wayland is not supported yet"), std::string::npos)
        << vantile->report();
    EXPECT_EQ(vantile->run({"presets"}).exitCode, 1);
}

// No Plasma shell runs here: a stand-in for its tray takes the icon, whose menu is read over D-Bus.
TEST(KWinTray, TheIconRegistersWithTheTrayAndItsMenuIsThere) {
    KWinDesktop kwin;
    const auto output = kwin.environment().at("HOME") + "/tray.log";
    Process tray({.argv = {std::string(VANTILE_TEST_DATA_DIR) + "/../wayland/tray_watcher.py"},
                  .environment = kwin.environment(),
                  .outputFile = output});
    ASSERT_TRUE(waitUntil([&] { return readTextFile(output).starts_with("ready"); }, 5000ms))
        << tray.report();
    auto vantile = startVantile(kwin);
    std::string item;
    ASSERT_TRUE(waitUntil(
        [&] {
            const std::string log = readTextFile(output);
            const auto at = log.find("registered ");
            item = at == std::string::npos ? "" : log.substr(at + 11, log.find('\n', at) - at - 11);
            return !item.empty();
        },
        5000ms))
        << readTextFile(output);
    const auto menu =
        kwin.dbusCall({"--dest=" + item, "/MenuBar", "com.canonical.dbusmenu.GetLayout", "int32:0",
                       "int32:-1", "array:string:label"});
    for (const char* label : {"Left Half", "Edit Regions...", "Shortcuts...", "Quit"}) {
        EXPECT_NE(menu.value_or("").find(std::string("\"") + label + "\""), std::string::npos)
            << label;
    }
}

// Whether KWin is moving the window with this title for the user.
bool inUserMove(KWinDesktop& kwin, const std::string& title) {
    return kwin.evaluate("workspace.clientList().forEach(function (c) {\n"
                         "  if (c.caption === '" +
                         title + "' && c.move) { out('moving'); }\n});") ==
           std::vector<std::string>{"moving"};
}

TEST(KWinDrag, ADragToTheLeftEdgeShowsThePreviewAndSnapsOnRelease) {
    // KWin's own edge tiling would land the window on the left half as well.
    KWinDesktop kwin({.edgeTiling = false});
    FakeInput input(kwin.environment().at("WAYLAND_DISPLAY"));
    auto client = kwin.startClient("Drag Me", 400, 300);
    const Rect start{400, 200, 400, 300};
    kwin.place("Drag Me", start);
    ASSERT_TRUE(landsAt(kwin, "Drag Me", start));
    auto vantile = startVantile(kwin);

    // Pressed at its centre, the window asks KWin to move it; KWin starts the move once the button
    // has been held for Qt's drag start time, and motion before that would not carry the window.
    input.moveTo(600, 350);
    input.pressButton();
    ASSERT_TRUE(waitUntil([&] { return inUserMove(kwin, "Drag Me"); }, 5000ms, 20ms))
        << "KWin did not start moving the window";
    for (const double x : {500, 300, 100, 0}) {
        input.moveTo(x, 400);
        EXPECT_TRUE(landsAt(kwin, "Drag Me", {x - 200, 250, 400, 300}))
            << "at x " << x << " the window is at "
            << describe(kwin.frameOf("Drag Me").value_or(Rect{}));
    }
    const Rect leftHalf{0, 0, 640, 800};
    EXPECT_TRUE(landsAt(kwin, "Vantile Snap Preview", leftHalf)) << "no preview over the left half";

    input.releaseButton();
    EXPECT_TRUE(landsAt(kwin, "Drag Me", leftHalf))
        << "the window is at " << describe(kwin.frameOf("Drag Me").value_or(Rect{}));
    EXPECT_TRUE(waitUntil([&] { return !kwin.frameOf("Vantile Snap Preview"); }, 3000ms, 20ms))
        << "the preview stays after the release";
}

} // namespace
} // namespace vantile::test
