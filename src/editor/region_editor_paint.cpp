#include "editor/region_editor_paint.h"

namespace vantile {

namespace {

constexpr PaintColor kVeil{ColorBase::black, 0.4};
constexpr PaintColor kRegionBody{ColorBase::white, 0.05};
constexpr PaintColor kRegionOutline{ColorBase::accent, 0.6};
constexpr PaintColor kSizeText{ColorBase::white, 0.9};
constexpr PaintColor kSizePill{ColorBase::black, 0.6};
constexpr PaintColor kLabelText{ColorBase::white, 0.6};
constexpr PaintColor kSplitButton{ColorBase::white, 0.15};
constexpr PaintColor kSplitGlyph{ColorBase::white, 0.9};
constexpr PaintColor kBoundary{ColorBase::accent, 0.8};
constexpr PaintColor kHoveredBoundary{ColorBase::accent, 1.0};
constexpr PaintColor kMergeDisc{ColorBase::black, 0.7};
constexpr PaintColor kMergeCross{ColorBase::white, 0.8};

constexpr double kRegionInset = 2;
constexpr double kRegionRadius = 4;
constexpr double kOutlineWidth = 2;
constexpr double kPillRadius = 6;
constexpr double kPillPaddingX = 8;
constexpr double kPillPaddingY = 3;
// The pill's lower edge sits this far above the region's centre, clear of the split buttons.
constexpr double kPillLift = 10;
constexpr double kLabelGap = 4;
constexpr double kSplitButtonRadius = 6;
constexpr double kCrossInset = 6;
constexpr double kCrossWidth = 1.5;

// U+00D7 MULTIPLICATION SIGN in UTF-8.
constexpr const char* kTimes = " \xC3\x97 ";

Rect insetRect(const Rect& r, double by) {
    return {r.x + by, r.y + by, r.width - 2 * by, r.height - 2 * by};
}

void addSplitButton(std::vector<PaintOperation>& out, const Rect& button, SplitGlyph glyph) {
    out.push_back(paint::FillRoundedRect{button, kSplitButtonRadius, kSplitButton});
    out.push_back(paint::Glyph{button, glyph, kSplitGlyph});
}

void addRegion(std::vector<PaintOperation>& out, const RegionRectEntry& entry,
               const Rect& visibleFrame, const TextMeasure& measure) {
    const Rect& rect = entry.rect;
    const Rect body = insetRect(rect, kRegionInset);
    out.push_back(paint::FillRoundedRect{body, kRegionRadius, kRegionBody});
    out.push_back(paint::StrokeRoundedRect{body, kRegionRadius, kOutlineWidth, kRegionOutline});

    std::string text = regionSizeText(entry.region.rect, visibleFrame);
    const Size textSize = measure(text, FontRole::size);
    const Rect pill{rect.midX() - textSize.width / 2 - kPillPaddingX, rect.midY() + kPillLift,
                    textSize.width + 2 * kPillPaddingX, textSize.height + 2 * kPillPaddingY};
    out.push_back(paint::FillRoundedRect{pill, kPillRadius, kSizePill});
    out.push_back(paint::Text{std::move(text),
                              {pill.x + kPillPaddingX, pill.y + kPillPaddingY},
                              textSize,
                              FontRole::size,
                              kSizeText});

    if (entry.region.label) {
        const std::string& label = *entry.region.label;
        const Size labelSize = measure(label, FontRole::label);
        out.push_back(paint::Text{label,
                                  {rect.midX() - labelSize.width / 2, pill.maxY() + kLabelGap},
                                  labelSize,
                                  FontRole::label,
                                  kLabelText});
    }

    if (offersSplitButtons(rect)) {
        addSplitButton(out, splitButtonRect(rect, SplitDirection::horizontal), SplitGlyph::rows);
        addSplitButton(out, splitButtonRect(rect, SplitDirection::vertical), SplitGlyph::columns);
    }
}

paint::FillRect boundaryBar(const BoundaryInfo& boundary, bool hovered) {
    if (!hovered) {
        return {boundary.rect, kBoundary};
    }
    // One point wider on both sides across the bar, never longer.
    Rect r = boundary.rect;
    if (boundary.direction == SplitDirection::vertical) {
        r = {r.x - 1, r.y, r.width + 2, r.height};
    } else {
        r = {r.x, r.y - 1, r.width, r.height + 2};
    }
    return {r, kHoveredBoundary};
}

void addMergeButton(std::vector<PaintOperation>& out, const Rect& r) {
    out.push_back(paint::FillOval{r, kMergeDisc});
    const double d = kCrossInset;
    out.push_back(
        paint::StrokeSegments{{{{r.minX() + d, r.minY() + d}, {r.maxX() - d, r.maxY() - d}},
                               {{r.maxX() - d, r.minY() + d}, {r.minX() + d, r.maxY() - d}}},
                              kCrossWidth,
                              kMergeCross});
}

} // namespace

std::string regionSizeText(const FractionalRect& region, const Rect& screenVisibleFrame) {
    // Truncation, not rounding: a width that comes to 479.99 points shows as 479.
    const auto width = static_cast<long long>(region.width * screenVisibleFrame.width);
    const auto height = static_cast<long long>(region.height * screenVisibleFrame.height);
    return std::to_string(width) + kTimes + std::to_string(height);
}

std::vector<PaintOperation> editorPaintList(const EditorPaintInput& input,
                                            const TextMeasure& measure) {
    std::vector<PaintOperation> out;
    out.push_back(paint::FillRect{input.dirtyRect, kVeil, Composition::source});
    for (const RegionRectEntry& entry : input.layout.regionRects) {
        addRegion(out, entry, input.screenVisibleFrame, measure);
    }
    const auto& lines = input.layout.boundaryLines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out.push_back(boundaryBar(lines[i], input.hoveredBoundaryIndex == i));
    }
    // After every bar, so that each button sits on top of its boundary.
    for (const MergeButtonEntry& button : input.layout.mergeButtonRects) {
        addMergeButton(out, button.rect);
    }
    return out;
}

} // namespace vantile
