#include "core/input/shortcut_manager.h"

#include <array>
#include <utility>

namespace vantile {

namespace {

// Key codes by position on a US keyboard.
namespace key {
constexpr std::uint16_t left = 123, right = 124, down = 125, up = 126;
constexpr std::uint16_t returnKey = 36, c = 8, r = 15, u = 32, i = 34, o = 31, e = 14;
constexpr std::uint16_t rightBracket = 30, leftBracket = 33;
} // namespace key

constexpr std::array<std::pair<std::uint16_t, int>, 9> regionKeyTable = {{
    {18, 0},
    {19, 1},
    {20, 2},
    {21, 3},
    {23, 4},
    {22, 5},
    {26, 6},
    {28, 7},
    {25, 8},
}};

std::optional<WindowAction> actionForKey(std::uint16_t keyCode) {
    switch (keyCode) {
    case key::left:
        return WindowAction::leftHalf;
    case key::right:
        return WindowAction::rightHalf;
    case key::up:
        return WindowAction::topHalf;
    case key::down:
        return WindowAction::bottomHalf;
    case key::returnKey:
        return WindowAction::maximize;
    case key::c:
        return WindowAction::center;
    case key::r:
        return WindowAction::restore;
    case key::u:
        return WindowAction::leftThird;
    case key::i:
        return WindowAction::centerThird;
    case key::o:
        return WindowAction::rightThird;
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<int> regionIndexForKey(std::uint16_t keyCode) {
    for (const auto& [code, index] : regionKeyTable) {
        if (code == keyCode) {
            return index;
        }
    }
    return std::nullopt;
}

std::uint64_t ShortcutManager::significantModifiers(std::uint64_t flags) {
    return flags & 0xFFFF0000ull & ~(modifier::numericPad | modifier::function);
}

ShortcutManager::ShortcutManager(WindowManager& windowManager, RegionManager& regionManager,
                                 EventMonitors& monitors)
    : windowManager_(windowManager), regionManager_(regionManager), monitors_(monitors),
      self_(std::make_shared<ShortcutManager*>(this)) {}

ShortcutManager::~ShortcutManager() {
    stop();
}

void ShortcutManager::start() {
    std::weak_ptr<ShortcutManager*> weak = self_;
    globalMonitor_ = monitors_.addGlobalKeyDownMonitor([weak](const KeyEvent& event) {
        if (const auto self = weak.lock()) {
            (*self)->handleKeyEvent(event);
        }
    });
    localMonitor_ = monitors_.addLocalKeyDownMonitor([weak](const KeyEvent& event) {
        const auto self = weak.lock();
        return self && (*self)->handleKeyEvent(event);
    });
}

void ShortcutManager::stop() {
    for (auto* token : {&globalMonitor_, &localMonitor_}) {
        if (*token) {
            monitors_.removeMonitor(**token);
            token->reset();
        }
    }
}

bool ShortcutManager::handleKeyEvent(const KeyEvent& event) {
    const std::uint64_t held = significantModifiers(event.modifierFlags);
    if (held == controlOption) {
        return handleControlOption(event.keyCode);
    }
    if (held == modifier::option) {
        return handleOption(event.keyCode);
    }
    return false;
}

bool ShortcutManager::handleControlOption(std::uint16_t keyCode) {
    if (const auto index = regionIndexForKey(keyCode)) {
        windowManager_.snapToRegion(*index);
        return true;
    }
    if (const auto action = actionForKey(keyCode)) {
        windowManager_.perform(*action);
        return true;
    }
    switch (keyCode) {
    case key::rightBracket:
        windowManager_.cycleRegion(true);
        return true;
    case key::leftBracket:
        windowManager_.cycleRegion(false);
        return true;
    case key::e:
        if (const auto opener = editorOpener_.lock()) {
            opener->openRegionEditor();
        }
        return true;
    default:
        return false;
    }
}

bool ShortcutManager::handleOption(std::uint16_t keyCode) {
    switch (keyCode) {
    case key::left:
        windowManager_.moveToAdjacentRegion(WindowAction::leftHalf);
        return true;
    case key::right:
        windowManager_.moveToAdjacentRegion(WindowAction::rightHalf);
        return true;
    case key::up:
        windowManager_.moveToAdjacentRegion(WindowAction::topHalf);
        return true;
    case key::down:
        windowManager_.moveToAdjacentRegion(WindowAction::bottomHalf);
        return true;
    default:
        return false;
    }
}

} // namespace vantile
