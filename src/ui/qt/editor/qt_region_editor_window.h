#pragma once

// A screen's region editor on the desktop: an undecorated window over the whole monitor, above
// everything the window manager stacks, showing the editor view.

#include <QRect>

#include <memory>

#include "core/editor/region_editor_window.h"

class QWidget;

namespace vantile {

class RegionEditorView;

class QtRegionEditorWindow : public RegionEditorWindow {
  public:
    // `geometry` is the screen's frame in Qt's global coordinates. Without a compositor the veil
    // cannot be translucent and the window is dark instead.
    QtRegionEditorWindow(const Screen& targetScreen, BSPNode tree, bool isPrimary,
                         EventMonitors& monitors, std::function<bool()> toolbarHoldsKeys,
                         const QRect& geometry, bool translucent);
    ~QtRegionEditorWindow() override;

    void makeKeyAndOrderFront() override;
    void orderOut() override;

    RegionEditorView* view() const { return view_; }

    static constexpr const char* title = "Vantile Region Editor";

  protected:
    void setViewTree(const BSPNode& tree) override;
    void undo() override;
    void redo() override;

  private:
    // Deleted later rather than with this object: the editor is often closed from inside one of
    // the view's own events.
    RegionEditorView* view_;
    // The view's callbacks hold this weakly, as they may outlive the window by an event.
    std::shared_ptr<QtRegionEditorWindow*> self_;
};

} // namespace vantile
