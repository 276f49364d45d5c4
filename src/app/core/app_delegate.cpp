#include "app/core/app_delegate.h"

#include "app/core/url_command.h"

namespace vantile {

AppDelegate::AppDelegate(AppEnvironment environment)
    : env_(std::move(environment)), self_(std::make_shared<AppDelegate*>(this)) {}

void AppDelegate::applicationDidFinishLaunching() {
    if (env_.backend.isTrusted()) {
        setupManagers();
    } else {
        waitForPermission();
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

void AppDelegate::waitForPermission() {
    waitingForPermission_ = true;
    std::weak_ptr<AppDelegate*> weak = self_;
    env_.clock.runAfter(permissionPollInterval, [weak] {
        if (const auto self = weak.lock()) {
            (*self)->pollPermission();
        }
    });
}

void AppDelegate::pollPermission() {
    if (!waitingForPermission_) {
        return;
    }
    if (!env_.backend.isTrusted()) {
        waitForPermission();
        return;
    }
    waitingForPermission_ = false;
    setupManagers();
}

void AppDelegate::setupManagers() {
    if (windowManager_) {
        return;
    }
    auto accessibility = std::make_unique<AccessibilityManager>(env_.backend, env_.clock);
    auto screenDetection = std::make_unique<ScreenDetection>(env_.screens);
    // Creating it loads the remembered presets and starts following screen changes.
    regionManager_ = env_.regionManager ? &env_.regionManager()
                                        : &RegionManager::shared(env_.screens, env_.screenChanges);
    windowManager_ = std::make_unique<WindowManager>(std::move(accessibility),
                                                     std::move(screenDetection), *regionManager_);
    shortcutManager_ =
        std::make_unique<ShortcutManager>(*windowManager_, *regionManager_, env_.monitors);
    snapManager_ = std::make_unique<SnapManager>(*windowManager_, *regionManager_, env_.monitors,
                                                 env_.screens, env_.snapPreview);
    shortcutManager_->start();
    snapManager_->start();
}

} // namespace vantile
