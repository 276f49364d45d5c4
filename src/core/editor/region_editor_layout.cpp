#include "core/editor/region_editor_layout.h"

namespace vantile {

namespace {

// The first leaf of a subtree; a subtree always has one, so no fallback id is ever needed.
const Uuid& firstRegionId(const BSPNode& node) {
    const BSPNode* current = &node;
    while (!current->isLeaf()) {
        current = &current->first();
    }
    return current->region().id;
}

void addRegions(const BSPNode& node, const FractionalRect& area, const Rect& frame,
                RegionEditorLayout& layout) {
    if (!node.isLeaf()) {
        const SplitDirection d = node.direction();
        const double f = node.fraction();
        addRegions(node.first(), BSPNode::firstArea(d, f, area), frame, layout);
        addRegions(node.second(), BSPNode::secondArea(d, f, area), frame, layout);
        return;
    }
    const Region& region = node.region();
    const Rect rect = viewRect(region.rect, frame);
    layout.regionRects.push_back({region, rect});
    if (offersSplitButtons(rect)) {
        for (const SplitDirection d : {SplitDirection::horizontal, SplitDirection::vertical}) {
            layout.splitButtonRects.push_back({splitButtonRect(rect, d), region.id, d});
        }
    }
}

BoundaryInfo boundaryOf(const BSPNode& split, const FractionalRect& a, const Rect& frame) {
    BoundaryInfo info;
    info.direction = split.direction();
    info.fraction = split.fraction();
    info.regionIDNear = firstRegionId(split.first());
    info.parentBounds = a;
    const double f = split.fraction();
    const double half = kBoundaryThickness / 2;
    const double hitHalf = kBoundaryHitThickness / 2;
    if (info.direction == SplitDirection::vertical) {
        const double lineX = frame.x + (a.x + f * a.width) * frame.width;
        const double bottom = frame.y + (1 - a.y - a.height) * frame.height;
        const double length = a.height * frame.height;
        info.rect = {lineX - half, bottom, kBoundaryThickness, length};
        info.hitTestRect = {lineX - hitHalf, bottom, kBoundaryHitThickness, length};
    } else {
        const double lineY = frame.y + (1 - (a.y + f * a.height)) * frame.height;
        const double left = frame.x + a.x * frame.width;
        const double length = a.width * frame.width;
        info.rect = {left, lineY - half, length, kBoundaryThickness};
        info.hitTestRect = {left, lineY - hitHalf, length, kBoundaryHitThickness};
    }
    return info;
}

void addBoundaries(const BSPNode& node, const FractionalRect& area, const Rect& frame,
                   RegionEditorLayout& layout) {
    if (node.isLeaf()) {
        return;
    }
    const std::size_t index = layout.boundaryLines.size();
    const BoundaryInfo& info = layout.boundaryLines.emplace_back(boundaryOf(node, area, frame));
    if (node.first().isLeaf() && node.second().isLeaf()) {
        const double half = kMergeButtonSize / 2;
        const Rect button{info.rect.midX() - half, info.rect.midY() - half, kMergeButtonSize,
                          kMergeButtonSize};
        layout.mergeButtonRects.push_back({button, index});
    }
    const SplitDirection d = node.direction();
    const double f = node.fraction();
    addBoundaries(node.first(), BSPNode::firstArea(d, f, area), frame, layout);
    addBoundaries(node.second(), BSPNode::secondArea(d, f, area), frame, layout);
}

} // namespace

Rect editorFrame(const Rect& screenVisibleFrame, const EditorPlacement& placement) {
    if (!placement.inWindow) {
        return placement.viewBounds;
    }
    const Point origin = placement.screenOrigin.value_or(placement.viewBounds.origin());
    const double scale = placement.pixelsPerPoint > 0 ? placement.pixelsPerPoint : 1;
    return {(screenVisibleFrame.x - origin.x) / scale, (screenVisibleFrame.y - origin.y) / scale,
            screenVisibleFrame.width / scale, screenVisibleFrame.height / scale};
}

Rect viewRect(const FractionalRect& r, const Rect& frame) {
    return {frame.x + r.x * frame.width, frame.y + (1 - r.y - r.height) * frame.height,
            r.width * frame.width, r.height * frame.height};
}

bool offersSplitButtons(const Rect& regionRect) {
    return regionRect.width > kSplitButtonsMinWidth && regionRect.height > kSplitButtonsMinHeight;
}

Rect splitButtonRect(const Rect& regionRect, SplitDirection direction) {
    // The pair is 28 + 8 + 28 wide, centred, and hangs 14 to 42 points below the centre, clear of
    // the size pill above it.
    const double x =
        direction == SplitDirection::horizontal ? regionRect.midX() - 32 : regionRect.midX() + 4;
    return {x, regionRect.midY() - 42, kSplitButtonSize, kSplitButtonSize};
}

void rebuildLayout(BSPNode& tree, const Rect& frame, RegionEditorLayout& layout) {
    tree.recalculateRects(unitRect);
    layout.regionRects.clear();
    layout.boundaryLines.clear();
    layout.splitButtonRects.clear();
    layout.mergeButtonRects.clear();
    addRegions(tree, unitRect, frame, layout);
    addBoundaries(tree, unitRect, frame, layout);
}

} // namespace vantile
