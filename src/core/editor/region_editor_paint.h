#pragma once

// What the region editor paints, in order, as plain drawing operations in view coordinates
// (origin bottom-left, y up). Every position, colour and size is settled here; the widget only
// carries the operations out.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "base/geometry.h"
#include "core/editor/region_editor_layout.h"

namespace vantile {

enum class ColorBase { black, white, accent };

struct PaintColor {
    ColorBase base = ColorBase::black;
    double alpha = 1;
    friend bool operator==(const PaintColor&, const PaintColor&) = default;
};

enum class FontRole {
    // Monospaced, 13 points, medium.
    size,
    // The system font, 11 points, regular.
    label,
};

enum class SplitGlyph {
    // A rectangle split into two rows: the button that splits horizontally.
    rows,
    // A rectangle split into two columns: the button that splits vertically.
    columns,
};

enum class Composition {
    sourceOver,
    // Replaces what is there, alpha included.
    source,
};

namespace paint {

struct FillRect {
    Rect rect;
    PaintColor color;
    Composition composition = Composition::sourceOver;
};

struct FillRoundedRect {
    Rect rect;
    double radius = 0;
    PaintColor color;
    // What every pixel of the rect holds when it is drawn, written with Composition::source, if
    // known: the painter may then write the interior with both colours mixed, in one pass.
    std::optional<PaintColor> over;
};

struct StrokeRoundedRect {
    Rect rect;
    double radius = 0;
    double lineWidth = 0;
    PaintColor color;
};

struct FillOval {
    Rect rect;
    PaintColor color;
};

// Separate segments stroked as one path.
struct StrokeSegments {
    std::vector<std::pair<Point, Point>> segments;
    double lineWidth = 0;
    PaintColor color;
};

// Text whose measured box has its lower-left corner at origin.
struct Text {
    std::string text;
    Point origin;
    Size size;
    FontRole font = FontRole::size;
    PaintColor color;
};

// A split button's symbol, centred in the button's rect.
struct Glyph {
    Rect button;
    SplitGlyph glyph = SplitGlyph::rows;
    PaintColor color;
};

} // namespace paint

using PaintOperation =
    std::variant<paint::FillRect, paint::FillRoundedRect, paint::StrokeRoundedRect, paint::FillOval,
                 paint::StrokeSegments, paint::Text, paint::Glyph>;

// The box a text takes up in a font, as the widget's text library measures it.
using TextMeasure = std::function<Size(const std::string&, FontRole)>;

struct EditorPaintInput {
    const RegionEditorLayout& layout;
    std::optional<std::size_t> hoveredBoundaryIndex;
    // Region sizes are shown in points of the screen, whatever the view's scale.
    Rect screenVisibleFrame;
    Rect dirtyRect;
};

// "W × H" with both figures truncated toward zero.
std::string regionSizeText(const FractionalRect& region, const Rect& screenVisibleFrame);

std::vector<PaintOperation> editorPaintList(const EditorPaintInput& input,
                                            const TextMeasure& measure);

} // namespace vantile
