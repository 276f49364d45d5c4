// The tray menu's actions as `vantile` commands: the same rules and files as the menu, with an
// answer that says what went wrong instead of doing nothing.

#include "app/app_delegate.h"
#include "app/preset_listing.h"

namespace vantile {

namespace {

CommandReply failure(int exitCode, const std::string& message) {
    return {exitCode, "vantile: " + message + "\n", {}};
}

// A name as listed (the first one when names repeat), else an id in either case.
const RegionPreset* findPreset(const std::vector<RegionPreset>& presets, const std::string& word) {
    for (const RegionPreset& preset : presets) {
        if (preset.name == word) {
            return &preset;
        }
    }
    const auto id = Uuid::parse(word);
    for (const RegionPreset& preset : presets) {
        if (id && preset.id == *id) {
            return &preset;
        }
    }
    return nullptr;
}

// The numbered screen, or else the one under the pointer, the main one, the first one.
std::optional<Screen> chosenScreen(const Screens& screens, const InstanceCommand& command,
                                   CommandReply* reply) {
    const std::vector<Screen> list = screens.screens();
    if (command.screen) {
        if (*command.screen <= list.size()) {
            return list[*command.screen - 1];
        }
        *reply = failure(commandRejected, "no screen " + std::to_string(*command.screen) +
                                              "; this display has " + std::to_string(list.size()));
        return std::nullopt;
    }
    const Point pointer = screens.mouseLocation();
    for (const Screen& screen : list) {
        if (contains(screen.frame, pointer)) {
            return screen;
        }
    }
    if (auto main = screens.mainScreen()) {
        return main;
    }
    if (!list.empty()) {
        return list.front();
    }
    *reply = failure(commandUnavailable, "this display has no screens");
    return std::nullopt;
}

// The choice is in force, but the disk refused to keep it.
CommandReply notKept(const std::filesystem::path& file) {
    return failure(commandUnavailable, "the choice is in use, but it could not be written to " +
                                           file.string() + "; it is lost at the next start");
}

} // namespace

CommandReply AppDelegate::runCommand(const std::vector<std::string>& words) {
    std::string error;
    const auto command = parseInstanceCommand(words, &error);
    if (!command) {
        return failure(commandRejected, error);
    }
    return runParsedCommand(*command);
}

CommandReply AppDelegate::runParsedCommand(const InstanceCommand& command) {
    if (command.kind == InstanceCommand::Kind::quit) {
        return {commandSucceeded, {}, env_.terminate};
    }
    if (waitingForPermission() || !windowManager_ || !regionManager_) {
        return failure(commandUnavailable,
                       "vantile cannot control this desktop yet; finish the steps in its "
                       "window first");
    }
    switch (command.kind) {
    case InstanceCommand::Kind::presets:
        return {commandSucceeded,
                presetListing(env_.screens.screens(), regionManager_->allPresets(),
                              regionManager_->activePresetIDs()),
                {}};
    case InstanceCommand::Kind::use:
        return usePreset(command);
    case InstanceCommand::Kind::clear:
        return clearLayout(command);
    case InstanceCommand::Kind::edit:
        openRegionEditor();
        return {};
    case InstanceCommand::Kind::shortcuts:
        return shortcutsCommand(command);
    case InstanceCommand::Kind::reload:
        reloadShortcuts();
        return shortcutsCommand({InstanceCommand::Kind::reload});
    case InstanceCommand::Kind::quit:
        break;
    }
    return {};
}

CommandReply AppDelegate::usePreset(const InstanceCommand& command) {
    const std::vector<RegionPreset> presets = regionManager_->allPresets();
    const RegionPreset* preset = findPreset(presets, command.preset);
    if (!preset) {
        return failure(commandRejected, "no preset named '" + printableName(command.preset) +
                                            "'; 'vantile presets' lists them");
    }
    CommandReply reply;
    if (const auto screen = chosenScreen(env_.screens, command, &reply)) {
        if (!regionManager_->applyPreset(*preset, *screen)) {
            reply = notKept(regionManager_->persistence().activeConfigPath());
        }
    }
    return reply;
}

CommandReply AppDelegate::clearLayout(const InstanceCommand& command) {
    CommandReply reply;
    if (const auto screen = chosenScreen(env_.screens, command, &reply)) {
        if (!regionManager_->clearLayout(*screen)) {
            reply = notKept(regionManager_->persistence().activeConfigPath());
        }
    }
    return reply;
}

} // namespace vantile
