#include "core/editor/region_editor_model.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vantile {

namespace {

// The index of the first entry whose rect, as the projection gives it, holds the point.
template <typename List, typename Projection>
std::optional<std::size_t> firstHit(const List& list, const Point& point, Projection rectOf) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (contains(rectOf(list[i]), point)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> boundaryAt(const std::vector<BoundaryInfo>& lines, const Point& point) {
    return firstHit(lines, point, [](const BoundaryInfo& b) { return b.hitTestRect; });
}

EditorCursor resizeCursor(SplitDirection direction) {
    return direction == SplitDirection::vertical ? EditorCursor::resizeLeftRight
                                                 : EditorCursor::resizeUpDown;
}

} // namespace

RegionEditorModel::RegionEditorModel(BSPNode tree, const Rect& screenVisibleFrame,
                                     PlacementSource placement)
    : tree_(std::move(tree)), screenVisibleFrame_(screenVisibleFrame),
      placement_(std::move(placement)) {}

void RegionEditorModel::setTree(BSPNode tree) {
    tree_ = std::move(tree);
    rebuildLayout();
    needsDisplay();
}

Rect RegionEditorModel::editorFrame() const {
    return vantile::editorFrame(screenVisibleFrame_, placement_ ? placement_() : EditorPlacement{});
}

void RegionEditorModel::rebuildLayout() {
    vantile::rebuildLayout(tree_, editorFrame(), layout_);
}

void RegionEditorModel::mouseMoved(const Point& point) {
    const std::optional<std::size_t> hit = boundaryAt(layout_.boundaryLines, point);
    if (hit == hoveredBoundaryIndex_) {
        return;
    }
    hoveredBoundaryIndex_ = hit;
    setCursor(hit ? resizeCursor(layout_.boundaryLines[*hit].direction) : EditorCursor::arrow);
    needsDisplay();
}

void RegionEditorModel::mouseExited() {
    if (!hoveredBoundaryIndex_) {
        return;
    }
    hoveredBoundaryIndex_.reset();
    setCursor(EditorCursor::arrow);
    needsDisplay();
}

void RegionEditorModel::mouseDown(const Point& point) {
    if (onInteraction) {
        onInteraction();
    }
    // Buttons sit on top of boundary bands, so they are asked first.
    if (pressMergeButton(point) || pressSplitButton(point)) {
        return;
    }
    pressBoundary(point);
}

bool RegionEditorModel::pressMergeButton(const Point& point) {
    const auto hit =
        firstHit(layout_.mergeButtonRects, point, [](const MergeButtonEntry& e) { return e.rect; });
    if (!hit) {
        return false;
    }
    const Uuid id =
        layout_.boundaryLines.at(layout_.mergeButtonRects[*hit].boundaryIndex).regionIDNear;
    pushUndoSnapshot();
    commit(tree_.mergeRegion(id));
    return true;
}

bool RegionEditorModel::pressSplitButton(const Point& point) {
    const auto hit =
        firstHit(layout_.splitButtonRects, point, [](const SplitButtonEntry& e) { return e.rect; });
    if (!hit) {
        return false;
    }
    const SplitButtonEntry button = layout_.splitButtonRects[*hit];
    pushUndoSnapshot();
    commit(tree_.splitRegion(button.regionID, button.direction, 0.5));
    return true;
}

bool RegionEditorModel::pressBoundary(const Point& point) {
    const auto hit = boundaryAt(layout_.boundaryLines, point);
    if (!hit) {
        return false;
    }
    // The tree is not touched until the pointer moves: a click on a boundary is no edit.
    draggingBoundary_ = layout_.boundaryLines[*hit];
    dragStartPoint_ = point;
    return true;
}

std::optional<double> RegionEditorModel::dragFraction(const Point& point) const {
    const FractionalRect& pb = draggingBoundary_->parentBounds;
    const Rect frame = editorFrame();
    double f = 0;
    if (draggingBoundary_->direction == SplitDirection::vertical) {
        f = (point.x - (frame.x + pb.x * frame.width)) / (pb.width * frame.width);
    } else {
        // View y grows upward while fractions grow downward from the split's top edge.
        const double bottom = frame.y + (1 - pb.y - pb.height) * frame.height;
        f = 1 - (point.y - bottom) / (pb.height * frame.height);
    }
    // An editor frame of no extent gives no fraction at all; better no step than a NaN split.
    if (!std::isfinite(f)) {
        return std::nullopt;
    }
    return std::clamp(f, kMinSplitFraction, kMaxSplitFraction);
}

void RegionEditorModel::mouseDragged(const Point& point) {
    if (!draggingBoundary_) {
        return;
    }
    const std::optional<double> f = dragFraction(point);
    if (!f) {
        return;
    }
    // One undo step per gesture, taken when the boundary first moves.
    if (dragStartPoint_ != Point{}) {
        pushUndoSnapshot();
        dragStartPoint_ = Point{};
    }
    BSPNode next = tree_;
    next.updateSplitFraction(draggingBoundary_->regionIDNear, *f, draggingBoundary_->parentBounds);
    commit(std::move(next));
}

void RegionEditorModel::mouseUp(const Point&) {
    if (!draggingBoundary_) {
        return;
    }
    // Every drag step was already reported and drawn; the release only ends the gesture.
    draggingBoundary_.reset();
    setCursor(EditorCursor::arrow);
}

void RegionEditorModel::undo() {
    if (undoStack_.empty()) {
        return;
    }
    BSPNode previous = std::move(undoStack_.back());
    undoStack_.pop_back();
    redoStack_.push_back(tree_);
    commit(std::move(previous));
}

void RegionEditorModel::redo() {
    if (redoStack_.empty()) {
        return;
    }
    BSPNode next = std::move(redoStack_.back());
    redoStack_.pop_back();
    undoStack_.push_back(tree_);
    commit(std::move(next));
}

void RegionEditorModel::pushUndoSnapshot() {
    undoStack_.push_back(tree_);
    redoStack_.clear();
}

void RegionEditorModel::commit(BSPNode tree) {
    tree_ = std::move(tree);
    // Whoever keeps the reported tree gets leaf rects that match its fractions.
    tree_.recalculateRects(unitRect);
    if (onTreeChanged) {
        onTreeChanged(tree_);
    }
    rebuildLayout();
    needsDisplay();
}

void RegionEditorModel::setCursor(EditorCursor cursor) {
    if (onCursor) {
        onCursor(cursor);
    }
}

void RegionEditorModel::needsDisplay() {
    if (onNeedsDisplay) {
        onNeedsDisplay();
    }
}

} // namespace vantile
