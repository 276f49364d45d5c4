#include "app/app_delegate.h"

#include "app/url_command.h"
#include "base/file_io.h"

namespace vantile {

AppDelegate::AppDelegate(AppEnvironment environment)
    : env_(std::move(environment)), self_(std::make_shared<AppDelegate*>(this)) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching() {
    if (env_.windows.isTrusted()) {
        setupManagers();
    } else {
        showAccessibilityOnboarding();
    }
}

void AppDelegate::handleURL(std::string_view url) {
    const auto command = parseUrlCommand(url);
    if (!command) {
        return;
    }
    if (command->kind == UrlCommand::Kind::show) {
        if (env_.activate) {
            env_.activate();
        }
        return;
    }
    if (windowManager_ && command->action) {
        windowManager_->perform(*command->action);
    }
}

namespace {

std::optional<Screen> screenAt(const Screens& screens, std::int64_t index) {
    const auto list = screens.screens();
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) {
        return std::nullopt;
    }
    return list[static_cast<std::size_t>(index)];
}

template <class T> const T* entry(const std::map<std::string, MenuValue>& map, const char* key) {
    const auto it = map.find(key);
    return it == map.end() ? nullptr : std::get_if<T>(&it->second);
}

} // namespace

void AppDelegate::menuSnapAction(const MenuItem& item) {
    const auto* raw = std::get_if<std::string>(&item.representedObject);
    if (!raw) {
        return;
    }
    const auto action = windowActionFromRawValue(*raw);
    if (action && windowManager_) {
        windowManager_->perform(*action);
    }
}

void AppDelegate::loadPresetForScreen(const MenuItem& item) {
    const auto* object = std::get_if<std::map<std::string, MenuValue>>(&item.representedObject);
    if (!object || !regionManager_) {
        return;
    }
    const auto* idText = entry<std::string>(*object, "presetID");
    const auto* index = entry<std::int64_t>(*object, "screenIndex");
    const auto id = idText ? Uuid::parse(*idText) : std::nullopt;
    const auto screen = index ? screenAt(env_.screens, *index) : std::nullopt;
    if (!id || !screen) {
        return;
    }
    for (const RegionPreset& preset : regionManager_->allPresets()) {
        if (preset.id == *id) {
            regionManager_->applyPreset(preset, *screen);
            return;
        }
    }
}

void AppDelegate::clearScreenLayout(const MenuItem& item) {
    const auto* index = std::get_if<std::int64_t>(&item.representedObject);
    const auto screen = index ? screenAt(env_.screens, *index) : std::nullopt;
    if (screen && regionManager_) {
        regionManager_->clearLayout(*screen);
    }
}

void AppDelegate::showAccessibilityOnboarding() {
    if (!env_.makeOnboardingWindow) {
        return;
    }
    auto window = env_.makeOnboardingWindow();
    std::weak_ptr<AppDelegate*> weak = self_;
    window->onAccessibilityGranted = [weak] {
        if (const auto self = weak.lock()) {
            AppDelegate& app = **self;
            if (app.onboardingWindow_) {
                app.onboardingWindow_->orderOut();
                app.onboardingWindow_.reset();
            }
            app.setupManagers();
        }
    };
    window->onQuit = [terminate = env_.terminate] {
        if (terminate) {
            terminate();
        }
    };
    onboardingWindow_ = std::move(window);
    onboardingWindow_->makeKeyAndOrderFront();
    if (env_.activate) {
        env_.activate();
    }
}

void AppDelegate::setupManagers() {
    if (windowManager_) {
        return;
    }
    auto screenDetection = std::make_unique<ScreenDetection>(env_.screens);
    // Creating it loads the remembered presets and starts following screen changes.
    editorRegions();
    windowManager_ =
        std::make_unique<WindowManager>(env_.windows, std::move(screenDetection), *regionManager_);
    shortcutManager_ = std::make_unique<ShortcutManager>(*windowManager_, env_.shortcuts);
    shortcutManager_->setEditorOpener(std::shared_ptr<RegionEditorOpener>(self_, this));
    shortcutManager_->setKeysPassThrough(env_.shortcutsWindowActive);
    snapManager_ =
        std::make_unique<SnapManager>(*windowManager_, env_.drags, env_.screens, env_.snapPreview);
    startShortcuts();
    snapManager_->start();
    if (onBuildStatusMenu) {
        onBuildStatusMenu();
    }
    // After the status item, which carries the notice where the desktop has no other way.
    announceShortcutProblems();
}

} // namespace vantile
