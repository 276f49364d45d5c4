#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "core/editor/region_editor_delegate.h"
#include "core/regions/bsp_node.h"
#include "platform/platform.h"

namespace vantile {

// One screen's editor window: it covers the screen, keeps the screen's working tree, and the
// first screen's window carries the editor's keys (Escape cancels, Return applies, Ctrl+Z undoes,
// Ctrl+Shift+Z redoes). Showing, hiding and the view belong to the desktop's implementation.
class RegionEditorWindow {
  public:
    // With `isPrimary`, installs the key monitor. `toolbarHoldsKeys` tells when keys belong to the
    // toolbar (a name being typed, its preset list open) and must pass untouched.
    RegionEditorWindow(const Screen& targetScreen, BSPNode tree, bool isPrimary,
                       EventMonitors& monitors, std::function<bool()> toolbarHoldsKeys);
    virtual ~RegionEditorWindow();
    RegionEditorWindow(const RegionEditorWindow&) = delete;
    RegionEditorWindow& operator=(const RegionEditorWindow&) = delete;

    std::weak_ptr<RegionEditorDelegate> editorDelegate;
    // Every press in the view.
    std::function<void()> onEditorInteraction;

    const Screen& targetScreen() const { return targetScreen_; }
    const BSPNode& workingTree() const { return workingTree_; }
    // Shows another tree (a preset loaded into the editor); the undo history stays as it is.
    void loadTree(BSPNode tree);
    const std::optional<MonitorToken>& escapeMonitor() const { return escapeMonitor_; }
    void removeEscapeMonitor();

    virtual void makeKeyAndOrderFront() = 0;
    virtual void orderOut() = 0;

    // The key monitor's decision: true swallows the key.
    bool handleKeyDown(const KeyEvent& event);

  protected:
    // The view reports every edit here.
    void viewTreeChanged(const BSPNode& tree) { workingTree_ = tree; }
    void viewInteraction();

    virtual void setViewTree(const BSPNode& tree) = 0;
    virtual void undo() = 0;
    virtual void redo() = 0;

  private:
    Screen targetScreen_;
    BSPNode workingTree_;
    EventMonitors& monitors_;
    std::function<bool()> toolbarHoldsKeys_;
    std::optional<MonitorToken> escapeMonitor_;
    // The key monitor holds this weakly: keys that come after the window is gone pass through.
    std::shared_ptr<RegionEditorWindow*> self_;
};

namespace editor_keys {
inline constexpr std::uint16_t escape = 53;
inline constexpr std::uint16_t returnKey = 36;
inline constexpr std::uint16_t z = 6;
} // namespace editor_keys

} // namespace vantile
