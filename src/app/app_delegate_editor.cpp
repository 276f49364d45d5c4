// The region editor as the application runs it: opening it on every screen, carrying out what its
// toolbar and keys ask for, and closing it.

#include "app/app_delegate.h"
#include "core/regions/builtin_presets.h"

namespace vantile {

namespace {

const RegionPreset* halvesPreset() {
    for (const RegionPreset& preset : builtInPresets()) {
        if (preset.id.text() == "00000000-0000-0000-0000-000000000001") {
            return &preset;
        }
    }
    return nullptr;
}

} // namespace

RegionManager& AppDelegate::editorRegions() {
    if (!regionManager_) {
        regionManager_ = env_.regionManager
                             ? &env_.regionManager()
                             : &RegionManager::shared(env_.screens, env_.screenChanges);
    }
    return *regionManager_;
}

void AppDelegate::openRegionEditor() {
    closeRegionEditor();
    if (!env_.makeEditorWindow || !env_.makeEditorToolbar) {
        return;
    }
    const std::vector<Screen> screens = env_.screens.screens();
    // Without a screen there is nothing to edit and nowhere to put the toolbar.
    if (screens.empty()) {
        return;
    }
    for (std::size_t i = 0; i < screens.size(); ++i) {
        addEditorWindow(screens[i], i == 0);
    }
    addEditorToolbar(screens);
}

void AppDelegate::addEditorWindow(const Screen& screen, bool isPrimary) {
    const auto& layouts = editorRegions().activeLayouts();
    const auto entry = layouts.find(RegionManager::screenKey(screen));
    const RegionPreset* halves = halvesPreset();
    BSPNode tree = entry != layouts.end() ? entry->second.tree
                   : halves               ? builtInTree(*halves)
                                          : builtInTree(builtInPresets().front());
    auto window = env_.makeEditorWindow(screen, std::move(tree), isPrimary);
    window->editorDelegate = std::shared_ptr<RegionEditorDelegate>(self_, this);
    std::weak_ptr<AppDelegate*> weak = self_;
    window->onEditorInteraction = [weak] {
        if (const auto self = weak.lock(); self && (*self)->editorToolbar_) {
            (*self)->editorToolbar_->orderFront();
        }
    };
    window->makeKeyAndOrderFront();
    editorWindows_.push_back(std::move(window));
}

void AppDelegate::addEditorToolbar(const std::vector<Screen>& screens) {
    const Point pointer = env_.screens.mouseLocation();
    std::optional<Screen> target;
    for (const Screen& screen : screens) {
        if (contains(screen.frame, pointer)) {
            target = screen;
            break;
        }
    }
    if (!target) {
        target = env_.screens.mainScreen();
    }
    if (!target) {
        target = screens.front();
    }
    std::weak_ptr<AppDelegate*> weak = self_;
    const auto withSelf = [weak](auto action) {
        return [weak, action](auto&&... args) {
            if (const auto self = weak.lock()) {
                action(**self, args...);
            }
        };
    };
    EditorToolbarCallbacks callbacks{withSelf([](AppDelegate& app) { app.finishRegionEditing(); }),
                                     withSelf([](AppDelegate& app) { app.closeRegionEditor(); }),
                                     withSelf([](AppDelegate& app, const RegionPreset& preset) {
                                         app.loadPresetIntoEditor(preset);
                                     }),
                                     [weak](const std::string& name) {
                                         const auto self = weak.lock();
                                         return self && (*self)->saveEditorAsPreset(name);
                                     }};
    editorToolbar_ = env_.makeEditorToolbar(*target, editorRegions(), std::move(callbacks));
    editorToolbar_->orderFront();
    if (env_.activate) {
        env_.activate();
    }
}

void AppDelegate::closeRegionEditor() {
    if (editorToolbar_) {
        editorToolbar_->orderOut();
        editorToolbar_.reset();
    }
    // Emptied before the windows go, so that anything they set off finds a closed editor.
    auto windows = std::move(editorWindows_);
    editorWindows_.clear();
    for (auto& window : windows) {
        window->removeEscapeMonitor();
        window->orderOut();
    }
}

void AppDelegate::storeWorkingTrees() {
    auto& layouts = editorRegions().activeLayouts();
    for (const auto& window : editorWindows_) {
        layouts.insert_or_assign(RegionManager::screenKey(window->targetScreen()),
                                 RegionLayout{window->workingTree()});
    }
}

void AppDelegate::finishRegionEditing() {
    storeWorkingTrees();
    closeRegionEditor();
}

void AppDelegate::loadPresetIntoEditor(const RegionPreset& preset) {
    for (const auto& window : editorWindows_) {
        if (preset.isBuiltIn) {
            window->loadTree(builtInTree(preset));
            continue;
        }
        const auto layout = preset.layouts.find(RegionManager::screenKey(window->targetScreen()));
        if (layout != preset.layouts.end()) {
            window->loadTree(layout->second.tree);
        }
    }
}

bool AppDelegate::saveEditorAsPreset(const std::string& name) {
    storeWorkingTrees();
    return editorRegions().saveCustomPreset(name);
}

} // namespace vantile
