// What the editor paints for a layout: the order of the drawing, its colours and the positions of
// the size pill, the label and the buttons.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/editor/region_editor_layout.h"
#include "core/editor/region_editor_paint.h"

namespace vantile {
namespace {

const Rect kFrame{0, 25, 1440, 875};
const Rect kVisibleFrame{0, 0, 1440, 875};
const Rect kDirty{0, 0, 1440, 900};

// A stand-in for a text library: fixed advances, so every position below is plain arithmetic.
Size fakeMeasure(const std::string& text, FontRole role) {
    const double advance = role == FontRole::size ? 7 : 5;
    return {advance * static_cast<double>(text.size()), role == FontRole::size ? 16.0 : 13.0};
}

BSPNode leafTree(std::optional<std::string> label = std::nullopt) {
    return BSPNode::leaf(Region{Uuid::random(), {}, std::move(label)});
}

BSPNode splitTree(SplitDirection d, double f, BSPNode first, BSPNode second) {
    return BSPNode::split(d, f, std::move(first), std::move(second));
}

struct Painted {
    RegionEditorLayout layout;
    std::vector<PaintOperation> operations;

    template <typename Op> std::vector<Op> all() const {
        std::vector<Op> out;
        for (const auto& op : operations) {
            if (const Op* found = std::get_if<Op>(&op)) {
                out.push_back(*found);
            }
        }
        return out;
    }
};

Painted paintOf(BSPNode tree, std::optional<std::size_t> hovered = std::nullopt,
                const Rect& frame = kFrame) {
    Painted painted;
    rebuildLayout(tree, frame, painted.layout);
    painted.operations =
        editorPaintList({painted.layout, hovered, kVisibleFrame, kDirty}, fakeMeasure);
    return painted;
}

// The operations' kinds in order, one letter each, to compare sequences at a glance.
std::string kinds(const std::vector<PaintOperation>& operations) {
    std::string out;
    for (const auto& op : operations) {
        out += "VrRoStg"[op.index()];
    }
    return out;
}

TEST(RegionEditorPaint, VeilRegionsBarsThenMergeButtons) {
    const Painted p =
        paintOf(splitTree(SplitDirection::vertical, 0.5, leafTree("Left"), leafTree()));
    // Veil; per region: body, outline, pill, size, [label], two buttons; the bar; disc and cross.
    EXPECT_EQ(kinds(p.operations), "V"
                                   "rRrttrgrg"
                                   "rRrtrgrg"
                                   "V"
                                   "oS");
    const auto fills = p.all<paint::FillRect>();
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[0].rect, kDirty);
    EXPECT_EQ(fills[0].color, (PaintColor{ColorBase::black, 0.4}));
    EXPECT_EQ(fills[0].composition, Composition::source);
    EXPECT_EQ(fills[1].rect, (Rect{718, 25, 4, 875}));
    EXPECT_EQ(fills[1].color, (PaintColor{ColorBase::accent, 0.8}));
    EXPECT_EQ(fills[1].composition, Composition::sourceOver);
}

TEST(RegionEditorPaint, RegionBodyPillTextAndLabelPositions) {
    const Painted p =
        paintOf(splitTree(SplitDirection::vertical, 0.5, leafTree("Editor"), leafTree()));
    const auto rounded = p.all<paint::FillRoundedRect>();
    EXPECT_EQ(rounded[0].rect, (Rect{2, 27, 716, 871}));
    EXPECT_EQ(rounded[0].radius, 4);
    EXPECT_EQ(rounded[0].color, (PaintColor{ColorBase::white, 0.05}));
    const auto outline = p.all<paint::StrokeRoundedRect>().at(0);
    EXPECT_EQ(outline.rect, (Rect{2, 27, 716, 871}));
    EXPECT_EQ(outline.lineWidth, 2);
    EXPECT_EQ(outline.color, (PaintColor{ColorBase::accent, 0.6}));

    // "720 × 875" is 10 bytes in UTF-8: 70 wide to the fake measure, 16 tall.
    const auto pill = rounded[1];
    EXPECT_EQ(pill.rect, (Rect{360 - 35 - 8, 472.5, 86, 22}));
    EXPECT_EQ(pill.radius, 6);
    EXPECT_EQ(pill.color, (PaintColor{ColorBase::black, 0.6}));
    const auto texts = p.all<paint::Text>();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "720 \xC3\x97 875");
    EXPECT_EQ(texts[0].origin, (Point{325, 475.5}));
    EXPECT_EQ(texts[0].font, FontRole::size);
    EXPECT_EQ(texts[0].color, (PaintColor{ColorBase::white, 0.9}));
    // The label is centred 4 points above the pill.
    EXPECT_EQ(texts[1].text, "Editor");
    EXPECT_EQ(texts[1].origin, (Point{345, 498.5}));
    EXPECT_EQ(texts[1].font, FontRole::label);
    EXPECT_EQ(texts[1].color, (PaintColor{ColorBase::white, 0.6}));

    // The buttons where the layout put them, rows on the left.
    const auto glyphs = p.all<paint::Glyph>();
    ASSERT_EQ(glyphs.size(), 4u);
    EXPECT_EQ(glyphs[0].button, p.layout.splitButtonRects[0].rect);
    EXPECT_EQ(glyphs[0].glyph, SplitGlyph::rows);
    EXPECT_EQ(glyphs[1].button, p.layout.splitButtonRects[1].rect);
    EXPECT_EQ(glyphs[1].glyph, SplitGlyph::columns);
    EXPECT_EQ(glyphs[3].button, p.layout.splitButtonRects[3].rect);
    EXPECT_EQ(rounded[2].rect, glyphs[0].button);
    EXPECT_EQ(rounded[2].color, (PaintColor{ColorBase::white, 0.15}));
}

// The rounded fills of a paint whose body comes right before the outline on the same rect.
std::vector<paint::FillRoundedRect> bodies(const Painted& p) {
    std::vector<paint::FillRoundedRect> out;
    for (std::size_t i = 0; i + 1 < p.operations.size(); ++i) {
        const auto* fill = std::get_if<paint::FillRoundedRect>(&p.operations[i]);
        const auto* outline = std::get_if<paint::StrokeRoundedRect>(&p.operations[i + 1]);
        if (fill && outline && fill->rect == outline->rect) {
            out.push_back(*fill);
        }
    }
    return out;
}

TEST(RegionEditorPaint, BodiesLieOnTheVeilUnlessAnEarlierRegionSpillsOntoThem) {
    const PaintColor veil{ColorBase::black, 0.4};
    const auto wide = paintOf(splitTree(SplitDirection::vertical, 0.5, leafTree(), leafTree()));
    const auto wideBodies = bodies(wide);
    ASSERT_EQ(wideBodies.size(), 2u);
    EXPECT_EQ(wideBodies[0].over, veil);
    EXPECT_EQ(wideBodies[1].over, veil);
    // Pills and buttons are drawn over whatever is there.
    for (const auto& fill : wide.all<paint::FillRoundedRect>()) {
        EXPECT_EQ(fill.over.has_value(), fill.radius == 4);
    }

    // 40 points wide: "40 × 875" makes a 79-point pill that reaches into the right region.
    const auto narrow = paintOf(splitTree(SplitDirection::vertical, 0.1, leafTree(), leafTree()),
                                std::nullopt, {0, 25, 400, 875});
    const auto narrowBodies = bodies(narrow);
    ASSERT_EQ(narrowBodies.size(), 2u);
    EXPECT_GT(narrow.all<paint::FillRoundedRect>().at(1).rect.maxX(), 40);
    EXPECT_EQ(narrowBodies[0].over, veil);
    EXPECT_FALSE(narrowBodies[1].over);
}

TEST(RegionEditorPaint, OnlyTheHoveredBarIsSixThickAndOpaque) {
    const auto tree = splitTree(SplitDirection::horizontal, 0.5,
                                splitTree(SplitDirection::vertical, 0.5, leafTree(), leafTree()),
                                splitTree(SplitDirection::vertical, 0.5, leafTree(), leafTree()));
    const auto idle = paintOf(tree).all<paint::FillRect>();
    const auto hovered = paintOf(tree, 2).all<paint::FillRect>();
    const auto across = paintOf(tree, 0).all<paint::FillRect>();
    ASSERT_EQ(idle.size(), 4u);
    ASSERT_EQ(hovered.size(), 4u);
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(idle[i].color.alpha, 0.8);
    }
    EXPECT_EQ(hovered[1].rect, idle[1].rect);
    EXPECT_EQ(hovered[2].rect, idle[2].rect);
    EXPECT_EQ(hovered[2].color.alpha, 0.8);
    // Boundary 2 is the vertical line in the lower half: wider, not longer.
    EXPECT_EQ(hovered[3].rect, (Rect{717, 25, 6, 437.5}));
    EXPECT_EQ(hovered[3].color, (PaintColor{ColorBase::accent, 1.0}));
    EXPECT_EQ(across[1].rect, (Rect{0, 459.5, 1440, 6}));
}

TEST(RegionEditorPaint, MergeButtonsComeAfterEveryBar) {
    const auto p =
        paintOf(splitTree(SplitDirection::horizontal, 0.5,
                          splitTree(SplitDirection::vertical, 0.5, leafTree(), leafTree()),
                          splitTree(SplitDirection::vertical, 0.5, leafTree(), leafTree())));
    const std::string order = kinds(p.operations);
    EXPECT_LT(order.rfind('V'), order.find('o'));
    const auto discs = p.all<paint::FillOval>();
    ASSERT_EQ(discs.size(), 2u);
    EXPECT_EQ(discs[0].rect, p.layout.mergeButtonRects[0].rect);
    EXPECT_EQ(discs[0].color, (PaintColor{ColorBase::black, 0.7}));
    const auto cross = p.all<paint::StrokeSegments>().at(0);
    const Rect r = discs[0].rect;
    ASSERT_EQ(cross.segments.size(), 2u);
    EXPECT_EQ(cross.segments[0].first, (Point{r.minX() + 6, r.minY() + 6}));
    EXPECT_EQ(cross.segments[0].second, (Point{r.maxX() - 6, r.maxY() - 6}));
    EXPECT_EQ(cross.segments[1].first, (Point{r.maxX() - 6, r.minY() + 6}));
    EXPECT_EQ(cross.segments[1].second, (Point{r.minX() + 6, r.maxY() - 6}));
    EXPECT_EQ(cross.lineWidth, 1.5);
    EXPECT_EQ(cross.color, (PaintColor{ColorBase::white, 0.8}));
}

TEST(RegionEditorPaint, SizesAreTruncatedPointsOfTheVisibleFrame) {
    EXPECT_EQ(regionSizeText({0, 0, 1.0 / 3, 1}, {0, 0, 1440, 875}), "480 \xC3\x97 875");
    EXPECT_EQ(regionSizeText({0, 0, 479.99 / 1440, 0.5}, {0, 0, 1440, 875}), "479 \xC3\x97 437");
    EXPECT_EQ(regionSizeText({0, 0, 0.5, 0.5}, {100, 100, 1920, 1050}), "960 \xC3\x97 525");
    // The view may be scaled; the text follows the screen's visible frame, not the view.
    const auto p = paintOf(leafTree(), std::nullopt, {0, 0, 720, 437.5});
    EXPECT_EQ(p.all<paint::Text>().at(0).text, "1440 \xC3\x97 875");
}

TEST(RegionEditorPaint, SmallRegionHasPillAndOutlineButNoButtons) {
    const auto p = paintOf(leafTree(), std::nullopt, {0, 0, 100, 300});
    EXPECT_EQ(kinds(p.operations), "VrRrt");
    EXPECT_TRUE(p.all<paint::Glyph>().empty());
}

TEST(RegionEditorPaint, EmptyLabelIsDrawnAndMissingLabelIsNot) {
    const auto empty = paintOf(leafTree(""), std::nullopt, {0, 0, 100, 300});
    const auto texts = empty.all<paint::Text>();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].text, "");
    EXPECT_EQ(texts[1].font, FontRole::label);
    EXPECT_EQ(texts[1].origin.x, 50);
    EXPECT_EQ(paintOf(leafTree(), std::nullopt, {0, 0, 100, 300}).all<paint::Text>().size(), 1u);
}

} // namespace
} // namespace vantile
