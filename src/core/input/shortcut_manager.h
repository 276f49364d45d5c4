#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "core/regions/region_manager.h"
#include "core/windows/window_manager.h"
#include "platform/platform.h"

namespace vantile {

// Whoever opens the region editor on request.
class RegionEditorOpener {
  public:
    virtual ~RegionEditorOpener() = default;
    virtual void openRegionEditor() = 0;
};

// The fixed system-wide shortcuts: Ctrl+Alt with arrows, Return, C, R, U, I, O, digits, [ ] and
// E; Alt with arrows. A shortcut counts only with exactly its modifiers held and Caps Lock off.
class ShortcutManager {
  public:
    ShortcutManager(WindowManager& windowManager, RegionManager& regionManager,
                    EventMonitors& monitors);
    ~ShortcutManager();
    ShortcutManager(const ShortcutManager&) = delete;
    ShortcutManager& operator=(const ShortcutManager&) = delete;

    void setEditorOpener(std::weak_ptr<RegionEditorOpener> opener) { editorOpener_ = opener; }

    // Installs the global and the local key monitor; called once.
    void start();
    void stop();

    // True when the key press was a shortcut (and was carried out).
    bool handleKeyEvent(const KeyEvent& event);

    bool monitoring() const { return globalMonitor_ || localMonitor_; }

    static constexpr std::uint64_t controlOption = modifier::control | modifier::option;
    // The modifier bits that count: 16 to 31, without the numeric-pad and function flags.
    static std::uint64_t significantModifiers(std::uint64_t flags);

  private:
    bool handleControlOption(std::uint16_t keyCode);
    bool handleOption(std::uint16_t keyCode);

    WindowManager& windowManager_;
    [[maybe_unused]] RegionManager& regionManager_; // held for the life of the manager
    EventMonitors& monitors_;
    std::weak_ptr<RegionEditorOpener> editorOpener_;
    std::optional<MonitorToken> globalMonitor_;
    std::optional<MonitorToken> localMonitor_;
    // Monitor handlers hold this weakly.
    std::shared_ptr<ShortcutManager*> self_;
};

// Region index of a digit key with Ctrl+Alt, if it is one.
std::optional<int> regionIndexForKey(std::uint16_t keyCode);

} // namespace vantile
