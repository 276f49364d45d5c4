#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/onboarding_window.h"
#include "app/status_menu.h"
#include "core/editor/editor_toolbar.h"
#include "core/editor/region_editor_delegate.h"
#include "core/editor/region_editor_window.h"
#include "core/input/shortcut_manager.h"
#include "core/input/snap_manager.h"
#include "core/windows/window_manager.h"
#include "ipc/instance_command.h"
#include "platform/drag_source.h"
#include "platform/global_shortcuts.h"
#include "platform/platform.h"
#include "platform/window_control.h"

namespace vantile {

// A desktop notification, with at most one action the user can choose.
struct Notice {
    std::string title;
    std::string body;
    std::string actionLabel{};
    std::function<void()> action{};
};

// What the application needs from its surroundings to start.
struct AppEnvironment {
    Screens& screens;
    ScreenChanges& screenChanges;
    WindowControl& windows;
    GlobalShortcuts& shortcuts;
    DragSource& drags;
    SnapPreview& snapPreview;
    Clock& clock;
    // Brings this program and its own windows to the front.
    std::function<void()> activate;
    // The region manager to use; the process-wide one when not given.
    std::function<RegionManager&()> regionManager;
    // Makes the window that explains what is missing while the desktop cannot be controlled.
    std::function<std::unique_ptr<OnboardingWindow>()> makeOnboardingWindow;
    // Ends the program.
    std::function<void()> terminate;
    // The region editor's window for a screen, with its starting tree; the primary one carries
    // the editor's keys.
    std::function<std::unique_ptr<RegionEditorWindow>(const Screen&, BSPNode, bool isPrimary)>
        makeEditorWindow;
    std::function<std::unique_ptr<EditorToolbar>(const Screen&, RegionManager&,
                                                 EditorToolbarCallbacks)>
        makeEditorToolbar;
    // Tells the user something once, outside any window of ours; absent where nothing can.
    std::function<void(const Notice&)> notify{};
    // Sentences about what the desktop does itself that competes with ours.
    std::function<std::vector<std::string>()> desktopNotes{};
    // Calls back whenever the file may have been written, created or removed.
    std::function<void(const std::filesystem::path&, std::function<void()>)> watchFile{};
    std::function<void()> openShortcutsWindow{};
    // Whether the Shortcuts window has the keyboard: the shortcuts then leave every key to it.
    std::function<bool()> shortcutsWindowActive{};
};

// The launch sequence and the root owner of the managers. URLs may arrive at any moment, also
// before the managers exist.
class AppDelegate : public RegionEditorOpener, public RegionEditorDelegate {
  public:
    explicit AppDelegate(AppEnvironment environment);
    ~AppDelegate() override;
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Sets the managers up at once when the desktop can be controlled; otherwise shows the
    // onboarding window, which reports when it can.
    void applicationDidFinishLaunching();
    void handleURL(std::string_view url);

    // The status menu's actions; each does nothing with a missing or malformed argument or an
    // index that no longer names a screen.
    void menuSnapAction(const MenuItem& item);
    void loadPresetForScreen(const MenuItem& item);
    void clearScreenLayout(const MenuItem& item);
    void openRegionEditorAction() { openRegionEditor(); }
    void openShortcutsWindowAction() {
        if (env_.openShortcutsWindow) {
            env_.openShortcutsWindow();
        }
    }

    // The same actions as commands of `vantile`, with the words it sent: checks them again,
    // carries them out and says what happened. Until the desktop can be controlled only quit
    // works.
    CommandReply runCommand(const std::vector<std::string>& words);

    // The region editor: one window per screen and the toolbar. Opening closes an open editor
    // first; finishing applies every window's tree to the screens' layouts in memory; saving
    // stores them as a new preset and keeps the editor open.
    void openRegionEditor() override;
    bool regionEditorOpen() const override { return !editorWindows_.empty(); }
    void closeRegionEditor() override;
    void finishRegionEditing() override;
    void loadPresetIntoEditor(const RegionPreset& preset);
    // False when the preset could not be written.
    bool saveEditorAsPreset(const std::string& name);
    const std::vector<std::unique_ptr<RegionEditorWindow>>& editorWindows() const {
        return editorWindows_;
    }
    EditorToolbar* editorToolbar() const { return editorToolbar_.get(); }

    WindowManager* windowManager() const { return windowManager_.get(); }
    RegionManager* regionManager() const { return regionManager_; }
    ShortcutManager* shortcutManager() const { return shortcutManager_.get(); }
    SnapManager* snapManager() const { return snapManager_.get(); }
    // The shortcuts: read from shortcuts.json again (also whenever it changes); and the user's
    // choice written there, applied at once. False when the file could not be written or holds
    // something else than a JSON object, which is then left as it is.
    void reloadShortcuts();
    bool saveShortcuts(const std::map<std::string, std::vector<KeyChord>>& chosen);
    std::filesystem::path shortcutsPath() const;
    // What the desktop does itself that competes with ours, told with the taken keys.
    std::vector<std::string> desktopNotes() const {
        return env_.desktopNotes ? env_.desktopNotes() : std::vector<std::string>{};
    }

    bool waitingForPermission() const { return onboardingWindow_ != nullptr; }
    OnboardingWindow* onboardingWindow() const { return onboardingWindow_.get(); }

    // Builds the status item and its menu; the last step of setting up.
    std::function<void()> onBuildStatusMenu;

  private:
    CommandReply runParsedCommand(const InstanceCommand& command);
    CommandReply usePreset(const InstanceCommand& command);
    CommandReply clearLayout(const InstanceCommand& command);
    void showAccessibilityOnboarding();
    void setupManagers();
    void startShortcuts();
    // Once at start and after a change to the file that left bad entries.
    void announceShortcutProblems();
    CommandReply shortcutsCommand(const InstanceCommand& command);
    RegionManager& editorRegions();
    void addEditorWindow(const Screen& screen, bool isPrimary);
    void addEditorToolbar(const std::vector<Screen>& screens);
    void storeWorkingTrees();

    AppEnvironment env_;
    RegionManager* regionManager_ = nullptr;
    std::unique_ptr<WindowManager> windowManager_;
    std::unique_ptr<ShortcutManager> shortcutManager_;
    std::unique_ptr<SnapManager> snapManager_;
    // The shortcuts file as last read; none when there was none.
    std::optional<std::string> shortcutsFile_;
    bool shortcutsRead_ = false;
    // The file's bad entries as last read.
    std::string shortcutProblems_;
    std::unique_ptr<OnboardingWindow> onboardingWindow_;
    std::vector<std::unique_ptr<RegionEditorWindow>> editorWindows_;
    std::unique_ptr<EditorToolbar> editorToolbar_;
    // Callbacks handed out hold this weakly so that they do nothing once the delegate is gone.
    std::shared_ptr<AppDelegate*> self_;
};

} // namespace vantile
