#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/regions/region_manager.h"
#include "core/windows/window_manager.h"
#include "platform/global_shortcuts.h"
#include "platform/platform.h"

namespace vantile {

// Whoever opens the region editor on request.
class RegionEditorOpener {
  public:
    virtual ~RegionEditorOpener() = default;
    virtual void openRegionEditor() = 0;
};

// The system-wide shortcuts, each registered under the name of its command (see shortcut_table.h
// for the names and the default chords).
class ShortcutManager {
  public:
    // Both must outlive the manager.
    ShortcutManager(WindowManager& windowManager, GlobalShortcuts& shortcuts);
    ~ShortcutManager() { stop(); }
    ShortcutManager(const ShortcutManager&) = delete;
    ShortcutManager& operator=(const ShortcutManager&) = delete;

    void setEditorOpener(std::weak_ptr<RegionEditorOpener> opener) { editorOpener_ = opener; }

    // Registers each command's chords (the defaults when none are given) as far as the desktop
    // takes them; called once.
    void start(const std::map<std::string, std::vector<KeyChord>>& chords);
    void start();
    void stop();

    bool monitoring() const { return !registered_.empty(); }

    static constexpr std::uint64_t controlOption = modifier::control | modifier::option;

  private:
    void add(const std::string& id, KeyChord chord, std::function<void()> command);
    std::function<void()> command(const std::string& name);

    WindowManager& windowManager_;
    GlobalShortcuts& shortcuts_;
    std::weak_ptr<RegionEditorOpener> editorOpener_;
    std::vector<std::string> registered_;
};

} // namespace vantile
