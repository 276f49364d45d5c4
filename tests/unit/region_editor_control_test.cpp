// The region editor as the application runs it, against the in-memory desktop: which tree each
// screen starts from, where the toolbar goes, what the keys of the first window do, and what
// applying, cancelling, loading and saving leave behind.

#include <gtest/gtest.h>

#include "app/app_delegate.h"
#include "core/regions/builtin_presets.h"
#include "fake/fake_app_environment.h"
#include "support/temp_dir.h"

namespace vantile {
namespace {

using test::FakeEditorToolbar;
using test::FakeEditorWindow;

constexpr std::uint16_t kEscape = 53, kReturn = 36, kZ = 6, kE = 14;

std::size_t leafCount(const BSPNode& tree) {
    return tree.allRegions().size();
}

class RegionEditorControlTest : public ::testing::Test {
  protected:
    RegionEditorControlTest() {
        first = desktop.addScreen({0, 0, 1440, 900}, {0, 0, 1440, 875});
        second = desktop.addScreen({1440, 0, 1920, 1080}, {1440, 0, 1920, 1080});
        app->applicationDidFinishLaunching();
    }

    FakeEditorWindow& window(std::size_t i) {
        return static_cast<FakeEditorWindow&>(*app->editorWindows().at(i));
    }
    FakeEditorToolbar& toolbar() { return static_cast<FakeEditorToolbar&>(*app->editorToolbar()); }
    bool key(std::uint16_t code, std::uint64_t flags = 0) {
        return desktop.pressKey({code, flags}, true);
    }

    test::FakeDesktop desktop;
    test::TempDir config;
    RegionManager regions{desktop, desktop, RegionPersistence(config.path())};
    Screen first, second;
    int activations = 0;
    std::vector<bool> primaries;
    test::NoSnapPreview preview;
    std::unique_ptr<AppDelegate> app = std::make_unique<AppDelegate>(environment());

    AppEnvironment environment() {
        AppEnvironment env = test::fakeAppEnvironment(desktop, preview, regions);
        env.activate = [this] { ++activations; };
        env.makeEditorWindow = [this](const Screen& screen, BSPNode tree,
                                      bool isPrimary) -> std::unique_ptr<RegionEditorWindow> {
            primaries.push_back(isPrimary);
            return std::make_unique<FakeEditorWindow>(
                screen, std::move(tree), isPrimary, desktop,
                [this] { return app->editorToolbar() && toolbar().holdingKeys; });
        };
        return env;
    }
};

TEST_F(RegionEditorControlTest, OpensOneWindowPerScreenFromItsLayoutOrHalves) {
    regions.applyPreset(builtInPresets()[1], second); // Thirds
    desktop.pointer = {1440, 500};                    // on the second screen's left edge
    const std::size_t monitorsBefore = desktop.installedMonitors();
    app->openRegionEditor();

    ASSERT_EQ(app->editorWindows().size(), 2u);
    EXPECT_EQ(window(0).targetScreen(), first);
    const auto halves = window(0).workingTree().allRegions();
    ASSERT_EQ(halves.size(), 2u);
    EXPECT_EQ(halves[0].rect, (FractionalRect{0, 0, 0.5, 1}));
    EXPECT_EQ(window(1).workingTree(),
              regions.activeLayouts().at(RegionManager::screenKey(second)).tree);
    EXPECT_EQ(primaries, (std::vector<bool>{true, false}));
    EXPECT_TRUE(window(0).escapeMonitor().has_value());
    EXPECT_FALSE(window(1).escapeMonitor().has_value());
    EXPECT_EQ(desktop.installedMonitors(), monitorsBefore + 1);
    EXPECT_EQ(window(0).shown + window(1).shown, 2);
    EXPECT_EQ(toolbar().screen, second) << "a left edge belongs to its screen";
    EXPECT_EQ(toolbar().orderedFront, 1);
    EXPECT_EQ(activations, 1);

    desktop.pointer = {1440 + 1920, 500}; // right edge of the second: on no screen
    app->openRegionEditor();
    EXPECT_EQ(app->editorWindows().size(), 2u) << "reopening yields one set of windows";
    EXPECT_EQ(desktop.installedMonitors(), monitorsBefore + 1) << "the old key monitor is gone";
    EXPECT_EQ(toolbar().screen, *desktop.mainScreen());
}

TEST_F(RegionEditorControlTest, FinishAppliesEveryScreenInMemoryCancelChangesNothing) {
    regions.applyPreset(builtInPresets()[0], first);
    const auto presetIds = regions.activePresetIDs();
    const auto layoutsBefore = regions.activeLayouts();

    app->openRegionEditor();
    const BSPNode firstEdit = window(0).workingTree().splitRegion(
        window(0).workingTree().allRegions()[0].id, SplitDirection::vertical, 0.5);
    window(0).userEdits(firstEdit);
    window(1).userEdits(builtInTree(builtInPresets()[2]));
    EXPECT_TRUE(key(kEscape)) << "Escape is swallowed";
    EXPECT_TRUE(app->editorWindows().empty());
    EXPECT_EQ(app->editorToolbar(), nullptr);
    EXPECT_EQ(regions.activeLayouts().size(), layoutsBefore.size());
    EXPECT_EQ(regions.activeLayouts().at(RegionManager::screenKey(first)).tree,
              layoutsBefore.at(RegionManager::screenKey(first)).tree);

    // Ctrl+Alt+Return is also the maximize shortcut: while the editor is open, it applies.
    const auto behind = desktop.addFocusedWindow({100, 100, 400, 300});
    app->openRegionEditor();
    window(0).userEdits(firstEdit);
    window(1).userEdits(builtInTree(builtInPresets()[2]));
    EXPECT_TRUE(key(kReturn, ShortcutManager::controlOption)) << "Return applies, any modifiers";
    EXPECT_TRUE(app->editorWindows().empty());
    EXPECT_EQ(desktop.windows.at(behind).frame, (Rect{100, 100, 400, 300}));
    EXPECT_EQ(leafCount(regions.activeLayouts().at(RegionManager::screenKey(first)).tree), 3u);
    EXPECT_EQ(leafCount(regions.activeLayouts().at(RegionManager::screenKey(second)).tree), 4u);
    EXPECT_EQ(regions.activePresetIDs(), presetIds) << "the chosen presets stay as they were";
    EXPECT_TRUE(regions.persistence().loadCustomPresets().empty()) << "nothing is written";
}

TEST_F(RegionEditorControlTest, KeysOfTheFirstWindow) {
    app->openRegionEditor();
    EXPECT_TRUE(key(kZ, modifier::control));
    EXPECT_TRUE(key(kZ, modifier::control | modifier::option));
    EXPECT_TRUE(key(kZ, modifier::control | modifier::shift));
    EXPECT_FALSE(key(kZ)) << "Z alone goes to the window";
    EXPECT_EQ(window(0).undos, 2);
    EXPECT_EQ(window(0).redos, 1);
    EXPECT_EQ(window(1).undos + window(1).redos, 0) << "only the first screen's view";

    toolbar().holdingKeys = true;
    EXPECT_FALSE(key(kEscape)) << "typing a name: Escape belongs to the field";
    EXPECT_FALSE(key(kReturn));
    EXPECT_FALSE(key(kZ, modifier::control));
    EXPECT_EQ(app->editorWindows().size(), 2u);
    EXPECT_EQ(window(0).undos, 2);
}

TEST_F(RegionEditorControlTest, ShortcutAndPressesReachTheEditor) {
    desktop.pressKey({kE, ShortcutManager::controlOption});
    ASSERT_EQ(app->editorWindows().size(), 2u) << "Ctrl+Alt+E opens it";
    window(1).userPresses();
    EXPECT_EQ(toolbar().orderedFront, 2) << "a press in any window brings the toolbar up";
}

TEST_F(RegionEditorControlTest, LoadingPresetsReplacesTreesByKindOfPreset) {
    app->openRegionEditor();
    app->loadPresetIntoEditor(builtInPresets()[2]); // Quarters, on every screen
    EXPECT_EQ(leafCount(window(0).workingTree()), 4u);
    EXPECT_EQ(leafCount(window(1).workingTree()), 4u);
    ASSERT_TRUE(window(0).viewTree.has_value());
    EXPECT_EQ(*window(0).viewTree, window(0).workingTree()) << "the view shows the loaded tree";
    EXPECT_NE(window(0).workingTree().allRegions()[0].id,
              window(1).workingTree().allRegions()[0].id)
        << "a fresh tree per window";

    RegionPreset mine{Uuid::random(), "Mine", {}, 0, false};
    mine.layouts.emplace(RegionManager::screenKey(first),
                         RegionLayout{builtInTree(builtInPresets()[1])});
    app->loadPresetIntoEditor(mine);
    EXPECT_EQ(leafCount(window(0).workingTree()), 3u);
    EXPECT_EQ(leafCount(window(1).workingTree()), 4u) << "no layout for it in the preset";
}

TEST_F(RegionEditorControlTest, SavingStoresANewPresetKeepsTheEditorOpenAndChoosesIt) {
    app->openRegionEditor();
    window(1).userEdits(builtInTree(builtInPresets()[1]));
    toolbar().callbacks.onSave("Work");
    ASSERT_EQ(app->editorWindows().size(), 2u) << "still open";
    const auto saved = regions.persistence().loadCustomPresets();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].name, "Work");
    EXPECT_EQ(saved[0].layouts.size(), 2u);
    EXPECT_EQ(leafCount(saved[0].layouts.at(RegionManager::screenKey(second)).tree), 3u);
    for (const Screen& screen : {first, second}) {
        EXPECT_EQ(regions.activePresetIDs().at(RegionManager::screenKey(screen)), saved[0].id);
    }
    toolbar().callbacks.onDone();
    EXPECT_TRUE(app->editorWindows().empty());
}

TEST_F(RegionEditorControlTest, CallbacksAfterTheApplicationIsGoneDoNothing) {
    app->openRegionEditor();
    const EditorToolbarCallbacks callbacks = toolbar().callbacks;
    app.reset();
    callbacks.onDone(); // ASan reports any touch of the destroyed application
    callbacks.onCancel();
    callbacks.onSave("Late");
    callbacks.onPresetSelected(builtInPresets()[0]);
    EXPECT_TRUE(regions.persistence().loadCustomPresets().empty());
}

TEST_F(RegionEditorControlTest, EmptyEditorOperationsAreHarmless) {
    app->finishRegionEditing();
    app->closeRegionEditor();
    app->loadPresetIntoEditor(builtInPresets()[0]);
    app->saveEditorAsPreset("Nothing open");
    EXPECT_EQ(regions.persistence().loadCustomPresets().size(), 1u) << "saving still saves";
    desktop.screenList.clear();
    app->openRegionEditor();
    EXPECT_TRUE(app->editorWindows().empty());
    EXPECT_EQ(app->editorToolbar(), nullptr) << "no screen: no editor";
}

} // namespace
} // namespace vantile
