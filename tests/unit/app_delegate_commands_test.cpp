// The tray menu's actions as commands of the running instance, on the in-memory desktop with two
// screens: the listing, choosing presets by name or id, refusals that change nothing, clearing,
// and which commands work before the desktop can be controlled.

#include <gtest/gtest.h>

#include <algorithm>

#include "app/app_delegate.h"
#include "app/preset_listing.h"
#include "fake/fake_app_environment.h"
#include "support/temp_dir.h"

namespace vantile {
namespace {

const Uuid thirds = Uuid::fromText("00000000-0000-0000-0000-000000000002");
const Uuid quarters = Uuid::fromText("00000000-0000-0000-0000-000000000003");
const Uuid halves = Uuid::fromText("00000000-0000-0000-0000-000000000001");

class AppDelegateCommandsTest : public ::testing::Test {
  protected:
    AppDelegateCommandsTest() {
        // Primary 1920x1080; the second, right of it, is taller, so in screen space (y up from
        // the primary's bottom) it starts below zero.
        desktop.addScreen({0, 0, 1920, 1080}, {0, 0, 1920, 1080});
        desktop.addScreen({1920, -840, 1200, 1920}, {1920, -840, 1200, 1920});
        desktop.pointer = {100, 100};
        AppEnvironment env = test::fakeAppEnvironment(desktop, preview, regions);
        env.terminate = [this] { ++terminations; };
        app = std::make_unique<AppDelegate>(std::move(env));
    }

    Screen screen(std::size_t i) const { return desktop.screenList.at(i); }
    std::string key(std::size_t i) const { return RegionManager::screenKey(screen(i)); }

    test::FakeDesktop desktop;
    test::TempDir config;
    RegionManager regions{desktop, desktop, RegionPersistence(config.path())};
    test::NoSnapPreview preview;
    std::unique_ptr<AppDelegate> app;
    int terminations = 0;
};

TEST_F(AppDelegateCommandsTest, PresetsListsScreensWithTheirChoiceThenPresetsInMenuOrder) {
    app->applicationDidFinishLaunching();
    regions.applyPreset(regions.allPresets()[1], screen(0));
    regions.saveCustomPreset("Mine\tnow\x7f");
    const std::string mine = regions.allPresets().back().id.text();

    const CommandReply reply = app->runCommand({"presets"});
    EXPECT_EQ(reply.exitCode, 0);
    EXPECT_EQ(reply.text, "Screens:\n"
                          "1\tScreen 1\t1920x1080+0+0\tMine now \n"
                          "2\tScreen 2\t1200x1920+1920+0\t-\n"
                          "Presets:\n"
                          "Halves\t00000000-0000-0000-0000-000000000001\n"
                          "Thirds\t00000000-0000-0000-0000-000000000002\n"
                          "Quarters\t00000000-0000-0000-0000-000000000003\n"
                          "Coding (60/40)\t00000000-0000-0000-0000-000000000004\n"
                          "Mine now \t" +
                              mine + "\n");
    EXPECT_NE(presetListing(desktop.screens(), regions.allPresets(), {{key(1), Uuid::random()}})
                  .find("1920+0\t-\n"),
              std::string::npos)
        << "a choice naming no preset reads as none";
    EXPECT_EQ(screenGeometry({-1000.4, 1079.6, 1000, 600}, {0, 0, 1920, 1080}),
              "1000x600-1000-600");
}

struct UseCase {
    std::vector<std::string> words;
    int exitCode;
    std::string error;                  // what is printed on failure
    std::optional<std::string> screen1; // the presets chosen afterwards, by id text
    std::optional<std::string> screen2 = {};
};

TEST_F(AppDelegateCommandsTest, UseAndClearChangeTheNamedScreenOrRefuseAndChangeNothing) {
    app->applicationDidFinishLaunching();
    regions.applyPreset(regions.allPresets()[0], screen(1));
    regions.saveCustomPreset("Twin");
    regions.saveCustomPreset("Twin");
    const auto presets = regions.allPresets();
    const std::string firstTwin = std::find_if(presets.begin(), presets.end(), [](auto& p) {
                                      return p.name == "Twin";
                                  })->id.text();
    std::string lowerQuarters = quarters.text();
    std::transform(lowerQuarters.begin(), lowerQuarters.end(), lowerQuarters.begin(), ::tolower);
    const std::string noScreen = "vantile: no screen 3; this display has 2\n";
    // Each case starts with Thirds on screen 1, nothing on screen 2, the pointer on screen 1.
    const std::vector<UseCase> cases = {
        {{"use", "Quarters", "--screen", "2"}, 0, "", thirds.text(), quarters.text()},
        {{"use", "Halves"}, 0, "", halves.text()},
        {{"use", lowerQuarters, "--screen", "1"}, 0, "", quarters.text()},
        {{"use", "Twin", "--screen", "2"}, 0, "", thirds.text(), firstTwin},
        {{"clear"}, 0, "", std::nullopt},
        {{"clear", "--screen", "2"}, 0, "", thirds.text()},
        {{"use", "Nonsense"},
         2,
         "vantile: no preset named 'Nonsense'; 'vantile presets' lists them\n",
         thirds.text()},
        {{"use", "Halves", "--screen", "3"}, 2, noScreen, thirds.text()},
        {{"clear", "--screen", "3"}, 2, noScreen, thirds.text()},
        {{"use", "Halves", "--screen", "x"},
         2,
         "vantile: --screen needs a screen number (1, 2, ...)\n",
         thirds.text()},
    };
    for (const auto& c : cases) {
        regions.clearLayout(screen(1));
        regions.applyPreset(presets[1], screen(0));
        const CommandReply reply = app->runCommand(c.words);
        const std::string line = ::testing::PrintToString(c.words);
        EXPECT_EQ(reply.exitCode, c.exitCode) << line;
        EXPECT_EQ(reply.text, c.error) << line;
        std::map<std::string, std::string> expected, actual;
        for (const auto& [k, id] : {std::pair{key(0), c.screen1}, std::pair{key(1), c.screen2}}) {
            if (id) {
                expected[k] = *id;
            }
        }
        for (const auto& [k, id] : regions.activePresetIDs()) {
            actual[k] = id.text();
        }
        EXPECT_EQ(actual, expected) << line;
        EXPECT_EQ(regions.regionsForScreen(screen(1)).empty(), !c.screen2) << line;
    }
}

TEST_F(AppDelegateCommandsTest, OnlyQuitWorksUntilTheDesktopCanBeControlledAndEndsAfterTheReply) {
    desktop.trusted = false;
    app->applicationDidFinishLaunching();
    for (const char* word : {"presets", "clear", "edit"}) {
        const CommandReply reply = app->runCommand({word});
        EXPECT_EQ(reply.exitCode, 1) << word;
        EXPECT_NE(reply.text.find("cannot control this desktop yet"), std::string::npos) << word;
    }
    EXPECT_EQ(app->runCommand({"use", "Halves"}).exitCode, 1);
    EXPECT_TRUE(app->editorWindows().empty());

    desktop.trusted = true;
    desktop.advance(0.3);
    ASSERT_FALSE(app->waitingForPermission());
    EXPECT_EQ(app->runCommand({"edit"}).exitCode, 0);
    EXPECT_EQ(app->editorWindows().size(), 2u) << "the editor opens on both screens";

    CommandReply quit = app->runCommand({"quit"});
    EXPECT_EQ(quit.exitCode, 0);
    EXPECT_EQ(terminations, 0) << "not before the answer has gone out";
    ASSERT_TRUE(quit.afterReply);
    quit.afterReply();
    EXPECT_EQ(terminations, 1);
}

} // namespace
} // namespace vantile
