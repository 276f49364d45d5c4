#pragma once

// The state of one screen's region editor and what the pointer and the undo keys do to it. The
// platform's share (cursor shapes, redraws) comes out through callbacks that the widget applies.

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "base/geometry.h"
#include "core/editor/region_editor_layout.h"
#include "core/regions/bsp_node.h"

namespace vantile {

enum class EditorCursor { arrow, resizeLeftRight, resizeUpDown };

// A boundary drag never leaves either side of a split less than a tenth of it.
inline constexpr double kMinSplitFraction = 0.1;
inline constexpr double kMaxSplitFraction = 0.9;

class RegionEditorModel {
  public:
    // Asked afresh whenever the editor frame is needed, so the view's size and screen are current.
    using PlacementSource = std::function<EditorPlacement()>;

    RegionEditorModel(BSPNode tree, const Rect& screenVisibleFrame, PlacementSource placement);

    // Called with the new tree after every edit, undo and redo.
    std::function<void(const BSPNode&)> onTreeChanged;
    // Called at the start of every press, whatever it hits.
    std::function<void()> onInteraction;
    std::function<void(EditorCursor)> onCursor;
    std::function<void()> onNeedsDisplay;

    const BSPNode& tree() const { return tree_; }
    // Replaces the tree without an undo step and without reporting it: the caller chose it.
    void setTree(BSPNode tree);
    const Rect& screenVisibleFrame() const { return screenVisibleFrame_; }
    // How many steps undo and redo can take: a whole gesture is one step.
    std::size_t undoDepth() const { return undoStack_.size(); }
    std::size_t redoDepth() const { return redoStack_.size(); }
    std::optional<std::size_t> hoveredBoundaryIndex() const { return hoveredBoundaryIndex_; }
    const std::optional<BoundaryInfo>& draggingBoundary() const { return draggingBoundary_; }
    Point dragStartPoint() const { return dragStartPoint_; }

    const RegionEditorLayout& layout() const { return layout_; }
    const std::vector<RegionRectEntry>& regionRects() const { return layout_.regionRects; }
    const std::vector<BoundaryInfo>& boundaryLines() const { return layout_.boundaryLines; }
    const std::vector<SplitButtonEntry>& splitButtonRects() const {
        return layout_.splitButtonRects;
    }
    const std::vector<MergeButtonEntry>& mergeButtonRects() const {
        return layout_.mergeButtonRects;
    }

    Rect editorFrame() const;
    void rebuildLayout();

    // Points are in view coordinates: origin bottom-left, y up.
    void mouseMoved(const Point& point);
    void mouseExited();
    void mouseDown(const Point& point);
    void mouseDragged(const Point& point);
    void mouseUp(const Point& point);

    void undo();
    void redo();

  private:
    void pushUndoSnapshot();
    void commit(BSPNode tree);
    void setCursor(EditorCursor cursor);
    void needsDisplay();
    bool pressMergeButton(const Point& point);
    bool pressSplitButton(const Point& point);
    bool pressBoundary(const Point& point);
    std::optional<double> dragFraction(const Point& point) const;

    BSPNode tree_;
    Rect screenVisibleFrame_;
    PlacementSource placement_;
    std::vector<BSPNode> undoStack_;
    std::vector<BSPNode> redoStack_;
    std::optional<std::size_t> hoveredBoundaryIndex_;
    std::optional<BoundaryInfo> draggingBoundary_;
    // Not the zero point while the drag's undo step is still to be taken.
    Point dragStartPoint_;
    RegionEditorLayout layout_;
};

} // namespace vantile
