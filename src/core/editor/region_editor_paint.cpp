#include "core/editor/region_editor_paint.h"

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

// Where a region's text and buttons may reach past its own rect, padded for glyphs that
// overhang their measured box.
constexpr double kOverhang = 2;

struct RegionPainter {
    std::vector<PaintOperation>& out;
    const Rect& visibleFrame;
    const TextMeasure& measure;
    // What earlier regions drew besides their body and outline: a small region's pill or label
    // can spill into the next one.
    std::vector<Rect> decorations;

    std::optional<PaintColor> underBody(const Rect& body) const {
        for (const Rect& drawn : decorations) {
            if (intersection(drawn, body)) {
                return std::nullopt;
            }
        }
        return kVeil;
    }

    void decorate(const Rect& r) { decorations.push_back(insetRect(r, -kOverhang)); }

    void addSplitButton(const Rect& button, SplitGlyph glyph) {
        out.push_back(
            paint::FillRoundedRect{button, kSplitButtonRadius, kSplitButton, std::nullopt});
        out.push_back(paint::Glyph{button, glyph, kSplitGlyph});
        decorate(button);
    }

    void addRegion(const RegionRectEntry& entry) {
        const Rect& rect = entry.rect;
        const Rect body = insetRect(rect, kRegionInset);
        out.push_back(paint::FillRoundedRect{body, kRegionRadius, kRegionBody, underBody(body)});
        out.push_back(paint::StrokeRoundedRect{body, kRegionRadius, kOutlineWidth, kRegionOutline});
        const Rect pill = addSize(entry);
        if (entry.region.label) {
            addLabel(rect, pill, *entry.region.label);
        }
        if (offersSplitButtons(rect)) {
            addSplitButton(splitButtonRect(rect, SplitDirection::horizontal), SplitGlyph::rows);
            addSplitButton(splitButtonRect(rect, SplitDirection::vertical), SplitGlyph::columns);
        }
    }

    Rect addSize(const RegionRectEntry& entry) {
        const Rect& rect = entry.rect;
        std::string text = regionSizeText(entry.region.rect, visibleFrame);
        const Size textSize = measure(text, FontRole::size);
        const Rect pill{rect.midX() - textSize.width / 2 - kPillPaddingX, rect.midY() + kPillLift,
                        textSize.width + 2 * kPillPaddingX, textSize.height + 2 * kPillPaddingY};
        out.push_back(paint::FillRoundedRect{pill, kPillRadius, kSizePill, std::nullopt});
        out.push_back(paint::Text{std::move(text),
                                  {pill.x + kPillPaddingX, pill.y + kPillPaddingY},
                                  textSize,
                                  FontRole::size,
                                  kSizeText});
        decorate(pill);
        return pill;
    }

    void addLabel(const Rect& rect, const Rect& pill, const std::string& label) {
        const Size labelSize = measure(label, FontRole::label);
        const Point origin{rect.midX() - labelSize.width / 2, pill.maxY() + kLabelGap};
        out.push_back(paint::Text{label, origin, labelSize, FontRole::label, kLabelText});
        decorate({origin.x, origin.y, labelSize.width, labelSize.height});
    }
};

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
    RegionPainter regions{out, input.screenVisibleFrame, measure, {}};
    for (const RegionRectEntry& entry : input.layout.regionRects) {
        regions.addRegion(entry);
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
