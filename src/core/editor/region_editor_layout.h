#pragma once

// Where the editor shows a layout tree: the regions, the boundaries between them and the buttons
// on both, in view coordinates (origin bottom-left, y up), recomputed from the tree on demand.

#include <cstddef>
#include <optional>
#include <vector>

#include "base/geometry.h"
#include "base/uuid.h"
#include "core/regions/bsp_node.h"
#include "core/regions/region.h"

namespace vantile {

inline constexpr double kBoundaryThickness = 4;
inline constexpr double kBoundaryHitThickness = 24;
inline constexpr double kSplitButtonSize = 28;
inline constexpr double kMergeButtonSize = 20;
// A region must be strictly larger than this to offer its split buttons.
inline constexpr double kSplitButtonsMinWidth = 100;
inline constexpr double kSplitButtonsMinHeight = 80;

// One split node of the tree as the editor shows it.
struct BoundaryInfo {
    SplitDirection direction = SplitDirection::vertical;
    double fraction = 0;
    // The visible bar.
    Rect rect;
    // The band around the bar that reacts to the pointer.
    Rect hitTestRect;
    // The first region of the split's first child: together with parentBounds it names the split
    // for a later fraction change, even after the tree has been rebuilt.
    Uuid regionIDNear;
    // The split's own area in the unit square (y from the top).
    FractionalRect parentBounds;

    friend bool operator==(const BoundaryInfo&, const BoundaryInfo&) = default;
};

struct RegionRectEntry {
    Region region;
    Rect rect;
};

struct SplitButtonEntry {
    Rect rect;
    Uuid regionID;
    SplitDirection direction = SplitDirection::vertical;
};

struct MergeButtonEntry {
    Rect rect;
    std::size_t boundaryIndex = 0;
};

// Everything the editor draws and tests the pointer against, derived from the tree alone.
struct RegionEditorLayout {
    std::vector<RegionRectEntry> regionRects;
    std::vector<BoundaryInfo> boundaryLines;
    std::vector<SplitButtonEntry> splitButtonRects;
    std::vector<MergeButtonEntry> mergeButtonRects;
};

// Where the view sits: its bounds, whether it has a window, the origin of the full frame of the
// screen that window is on (none when the window is on no screen), and how many of the desktop's
// pixels make one of the view's points (more than one on a high-density screen).
struct EditorPlacement {
    Rect viewBounds;
    bool inWindow = false;
    std::optional<Point> screenOrigin;
    double pixelsPerPoint = 1;
};

// The screen's visible frame in view coordinates. The editor window covers its screen exactly, so
// moving the visible frame by the screen's origin and scaling it to points places it inside the
// view.
Rect editorFrame(const Rect& screenVisibleFrame, const EditorPlacement& placement);

// A fractional rect (y down) within the editor frame (y up).
Rect viewRect(const FractionalRect& fractional, const Rect& frame);

bool offersSplitButtons(const Rect& regionRect);
// The button that splits the region in that direction: the horizontal one on the left.
Rect splitButtonRect(const Rect& regionRect, SplitDirection direction);

// Rewrites the tree's leaf rects from its fractions over the unit square, then lists regions and
// split buttons in leaf order and boundaries and merge buttons in pre-order.
void rebuildLayout(BSPNode& tree, const Rect& frame, RegionEditorLayout& layout);

} // namespace vantile
