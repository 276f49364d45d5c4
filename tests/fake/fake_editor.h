#pragma once

// The region editor's windows and toolbar without widgets: the windows' trees and keys are the
// real ones; showing, hiding and what reaches the view are recorded.

#include <optional>
#include <vector>

#include "core/editor/editor_toolbar.h"
#include "core/editor/region_editor_window.h"

namespace vantile::test {

class FakeEditorWindow : public RegionEditorWindow {
  public:
    using RegionEditorWindow::RegionEditorWindow;

    void makeKeyAndOrderFront() override { ++shown; }
    void orderOut() override { ++orderedOut; }

    // What the view reports when the user edits.
    void userEdits(const BSPNode& tree) { viewTreeChanged(tree); }
    void userPresses() { viewInteraction(); }

    int shown = 0;
    int orderedOut = 0;
    int undos = 0;
    int redos = 0;
    std::optional<BSPNode> viewTree;

  protected:
    void setViewTree(const BSPNode& tree) override { viewTree = tree; }
    void undo() override { ++undos; }
    void redo() override { ++redos; }
};

class FakeEditorToolbar : public EditorToolbar {
  public:
    FakeEditorToolbar(const Screen& screen, EditorToolbarCallbacks callbacks)
        : screen(screen), callbacks(std::move(callbacks)) {}

    void orderFront() override { ++orderedFront; }
    void orderOut() override { ++orderedOut; }
    bool holdsKeys() const override { return holdingKeys; }

    Screen screen;
    EditorToolbarCallbacks callbacks;
    int orderedFront = 0;
    int orderedOut = 0;
    bool holdingKeys = false;
};

} // namespace vantile::test
