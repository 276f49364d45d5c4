// One screen's region editor without widgets: where regions, boundaries and buttons lie in the
// view, what the pointer and the undo keys do to the tree, what is painted and in which order,
// and the toolbar's preset menu. Layouts and paint lists are compared as text, one entry a line.

#include <gtest/gtest.h>

#include <sstream>

#include "core/editor/region_editor_layout.h"
#include "core/editor/region_editor_model.h"
#include "core/editor/region_editor_paint.h"
#include "core/editor/region_editor_toolbar_model.h"
#include "unit/desktop_test.h"

namespace vantile {
namespace {

using test::preset;
using enum SplitDirection;

// The visible frame of a 1440 × 900 screen below a 25-point bar at its top, in the view.
const Rect kFrame{0, 25, 1440, 875};

BSPNode leafTree(std::optional<std::string> label = std::nullopt) {
    return BSPNode::leaf(Region{Uuid::random(), {}, std::move(label)});
}

BSPNode split(SplitDirection d, double f, BSPNode first = leafTree(), BSPNode second = leafTree()) {
    return BSPNode::split(d, f, std::move(first), std::move(second));
}

using test::str;

std::string str(const PaintColor& c) {
    return std::string(c.base == ColorBase::black   ? "black"
                       : c.base == ColorBase::white ? "white"
                                                    : "accent") +
           "/" + (std::ostringstream() << c.alpha).str();
}

// Regions with their labels, boundaries with their direction and fraction, then split and merge
// buttons. Into one layout every time: each must replace what the one before left. Hit areas and
// which region or split a boundary or button acts on are seen in what the pointer does below.
std::string layoutOf(BSPNode tree, const Rect& frame = kFrame) {
    static RegionEditorLayout layout;
    rebuildLayout(tree, frame, layout);
    std::ostringstream out;
    for (const auto& r : layout.regionRects) {
        out << "region " << str(r.rect) << " " << r.region.label.value_or("-") << "\n";
    }
    for (const auto& b : layout.boundaryLines) {
        out << "boundary "
            << "|-"[b.direction != vertical] << " " << b.fraction << " " << str(b.rect) << "\n";
    }
    for (const auto& s : layout.splitButtonRects) {
        out << "split "
            << "|-"[s.direction != vertical] << " " << str(s.rect) << "\n";
    }
    for (const auto& m : layout.mergeButtonRects) {
        out << "merge " << str(m.rect) << " of " << m.boundaryIndex << "\n";
    }
    return out.str();
}

TEST(RegionEditorFrame, ScreenOriginOrBoundsOriginOrBounds) {
    const Rect visible{1440, 0, 1920, 1050}, bounds{5, 7, 1920, 1080};
    EXPECT_EQ(editorFrame(visible, {bounds, true, Point{1440, -30}}), (Rect{0, 30, 1920, 1050}));
    // A window on no screen: the view's own origin stands in for the screen's.
    EXPECT_EQ(editorFrame(visible, {bounds, true, std::nullopt}), (Rect{1435, -7, 1920, 1050}));
    EXPECT_EQ(editorFrame(visible, {bounds, false, Point{1440, 0}}), bounds);
}

TEST(RegionEditorLayout, RegionsBoundariesAndButtonsWhereTheFractionsPutThem) {
    // Split buttons hang 14 to 42 points below a region's centre, merge buttons sit on the
    // middle of their boundary; the first child of a horizontal split is the upper one.
    EXPECT_EQ(layoutOf(leafTree()), "region 0,25 1440x875 -\nsplit - 688,420.5 28x28\n"
                                    "split | 724,420.5 28x28\n");
    // Pre-order: the outer boundary first; a merge button only between two leaves.
    EXPECT_EQ(layoutOf(split(vertical, 0.5, split(horizontal, 0.5, leafTree("A"), leafTree("B")),
                             leafTree("C"))),
              "region 0,462.5 720x437.5 A\nregion 0,25 720x437.5 B\nregion 720,25 720x875 C\n"
              "boundary | 0.5 718,25 4x875\n"
              "boundary - 0.5 0,460.5 720x4\n"
              "split - 328,639.25 28x28\nsplit | 364,639.25 28x28\n"
              "split - 328,201.75 28x28\nsplit | 364,201.75 28x28\n"
              "split - 1048,420.5 28x28\nsplit | 1084,420.5 28x28\n"
              "merge 350,452.5 20x20 of 1\n");
    // Split buttons only in regions larger than 100 x 80.
    EXPECT_EQ(layoutOf(leafTree(), {0, 0, 100, 300}), "region 0,0 100x300 -\n");
    EXPECT_EQ(layoutOf(leafTree(), {0, 0, 300, 80}), "region 0,0 300x80 -\n");
    EXPECT_EQ(layoutOf(leafTree(), {0, 0, 100.5, 80.5}),
              "region 0,0 100.5x80.5 -\nsplit - 18.25,-1.75 28x28\n"
              "split | 54.25,-1.75 28x28\n");
}

// A second screen right of the primary; its visible frame stops 25 points below its top, so in
// the view that covers the screen the visible frame is kFrame.
class RegionEditorModelTest : public ::testing::Test {
  protected:
    void start(BSPNode tree) {
        model_ = std::make_unique<RegionEditorModel>(std::move(tree), Rect{1440, 0, 1440, 875}, [] {
            return EditorPlacement{{0, 0, 1440, 900}, true, Point{1440, -25}};
        });
        model_->onTreeChanged = [this](const BSPNode& t) { reported_.push_back(t); };
        model_->onInteraction = [this] { ++interactions_; };
        model_->onCursor = [this](EditorCursor c) { cursors_ += "ALU"[static_cast<int>(c)]; };
        model_->onNeedsDisplay = [this] { ++redraws_; };
        model_->rebuildLayout();
    }
    void drag(Point from, const std::vector<Point>& path) {
        model_->mouseDown(from);
        for (const Point& p : path) {
            model_->mouseDragged(p);
        }
        model_->mouseUp(path.empty() ? from : path.back());
    }
    static std::string shape(const BSPNode& tree) {
        if (tree.isLeaf()) {
            return "o";
        }
        std::ostringstream out;
        out << "(" << (tree.direction() == vertical ? "|" : "-") << tree.fraction() << " "
            << shape(tree.first()) << " " << shape(tree.second()) << ")";
        return out.str();
    }
    // The tree's shape and what the editor did: undo and redo depths, trees reported, presses
    // reported, cursors set (Arrow, Left-right, Up-down) and redraws asked for.
    std::string state() {
        std::ostringstream out;
        out << shape(model_->tree()) << " undo " << model_->undoDepth() << " redo "
            << model_->redoDepth() << " reported " << reported_.size() << " pressed "
            << interactions_ << " cursors " << cursors_ << " redraws " << redraws_;
        return out.str();
    }
    RegionEditorModel& model() { return *model_; }

    std::unique_ptr<RegionEditorModel> model_;
    std::vector<BSPNode> reported_;
    int interactions_ = 0;
    std::string cursors_;
    int redraws_ = 0;
};

TEST_F(RegionEditorModelTest, HoverSetsTheCursorOncePerBoundaryAndPressesOnNothingChangeNothing) {
    start(split(horizontal, 0.5, leafTree(), split(vertical, 0.5)));
    // Boundary 0 is the horizontal line at y 462.5, boundary 1 the vertical one below it.
    const std::pair<Point, std::optional<std::size_t>> moves[] = {
        {{300, 470}, 0}, {{310, 455}, 0}, {{725, 200}, 1}, {{300, 700}, {}}, {{300, 710}, {}}};
    for (const auto& [point, hovered] : moves) {
        model().mouseMoved(point);
        EXPECT_EQ(model().hoveredBoundaryIndex(), hovered) << point.y;
    }
    model().mouseExited();
    model().mouseMoved({730, 100});
    model().mouseExited();
    EXPECT_FALSE(model().hoveredBoundaryIndex());
    model().mouseDown({100, 800});
    model().mouseUp({100, 800});
    model().mouseDragged({200, 800});
    model().mouseDown({725, 200}); // on the vertical boundary, released where it was pressed
    EXPECT_EQ(model().draggingBoundary(), model().boundaryLines()[1]);
    EXPECT_EQ(model().dragStartPoint(), (Point{725, 200}));
    model().mouseUp({725, 200});
    EXPECT_FALSE(model().draggingBoundary());
    EXPECT_EQ(state(),
              "(-0.5 o (|0.5 o o)) undo 0 redo 0 reported 0 pressed 2 cursors ULALAA redraws 5");
}

TEST_F(RegionEditorModelTest, SplitMergeUndoRedoAndANewEditDropsRedo) {
    start(split(vertical, 0.5));
    model().undo();                  // nothing to undo: not reported
    model().mouseDown({720, 462.5}); // the merge button over the boundary's band: no drag
    EXPECT_FALSE(model().draggingBoundary());
    EXPECT_EQ(model().regionRects().size(), 1u);
    EXPECT_EQ(reported_.back(), model().tree());
    EXPECT_EQ(state(), "o undo 1 redo 0 reported 1 pressed 1 cursors  redraws 1");
    const BSPNode original = model().tree();
    model().mouseDown({738, 434}); // the right-hand button of the pair splits into columns
    const BSPNode columns = model().tree();
    model().mouseDown(model().mergeButtonRects().at(0).rect.origin());
    model().undo();
    EXPECT_EQ(model().tree(), columns);
    model().undo();
    EXPECT_EQ(model().tree(), original);
    model().redo();
    EXPECT_EQ(model().tree(), columns);
    EXPECT_EQ(state(), "(|0.5 o o) undo 2 redo 1 reported 6 pressed 3 cursors  redraws 6");
    // The left-hand button of the pair splits into rows, and the redo history goes.
    const SplitButtonEntry rows = model().splitButtonRects().at(0);
    model().mouseDown({rows.rect.midX(), rows.rect.midY()});
    model().redo(); // nothing to redo: not reported
    EXPECT_EQ(state(), "(|0.5 (-0.5 o o) o) undo 3 redo 0 reported 7 pressed 4 cursors  redraws 7");
}

TEST_F(RegionEditorModelTest, ADragIsOneUndoStepAndStopsAtATenthOfItsSplit) {
    start(split(vertical, 0.5));
    const BSPNode before = model().tree();
    std::vector<Point> path;
    for (int i = 1; i <= 10; ++i) {
        path.push_back({720.0 + 14.4 * i, 300});
    }
    drag({720, 300}, path);
    EXPECT_EQ(state(), "(|0.6 o o) undo 1 redo 0 reported 10 pressed 1 cursors A redraws 10");
    EXPECT_EQ(model().dragStartPoint(), Point{});
    // Every reported tree carries leaf rects that agree with its own fractions.
    for (BSPNode tree : reported_) {
        const BSPNode asReported = tree;
        tree.recalculateRects(unitRect);
        EXPECT_EQ(tree, asReported);
    }
    EXPECT_DOUBLE_EQ(reported_[0].first().region().rect.width, 734.4 / 1440);
    model().undo();
    EXPECT_EQ(model().tree(), before);
    EXPECT_EQ(model().boundaryLines()[0].rect.x, 718);

    const BSPNode nested = split(vertical, 0.5, split(horizontal, 0.5));
    const struct {
        BSPNode tree;
        Point from;
        std::vector<Point> path;
        std::string after;
    } drags[] = {
        {split(vertical, 0.5), {721, 100}, {{0, 100}}, "(|0.1 o o)"},
        {split(vertical, 0.1), {144, 100}, {{1440, 100}}, "(|0.9 o o)"},
        {split(vertical, 0.9), {1296, 100}, {{-300, 100}, {1000, 100}, {5000, 100}}, "(|0.9 o o)"},
        // The line lies at y 375; a quarter of the way down the frame is y 25 + 0.75 · 875.
        {split(horizontal, 0.6), {500, 376}, {{500, 681.25}}, "(-0.25 o o)"},
        {split(horizontal, 0.25), {500, 681}, {{500, 0}}, "(-0.9 o o)"},
        // Nested boundaries next to the same region move their own split: the vertical line
        // well below the inner merge button, then the horizontal one away from it.
        {nested, {720, 100}, {{1008, 100}}, "(|0.7 (-0.5 o o) o)"},
        {nested, {100, 462}, {{100, 287.5}}, "(|0.5 (-0.7 o o) o)"},
        // The quarters' middle line moves alone and reaches across the whole width.
        {builtInTree(preset(2)), {300, 463}, {{300, 287.5}}, "(-0.7 (|0.5 o o) (|0.5 o o))"}};
    for (const auto& d : drags) {
        start(d.tree);
        drag(d.from, d.path);
        EXPECT_EQ(shape(model().tree()), d.after) << d.from.x << "," << d.from.y;
        EXPECT_EQ(model().undoDepth(), 1u);
    }
    EXPECT_DOUBLE_EQ(model().boundaryLines()[0].rect.midY(), 25 + 0.3 * 875);
}

TEST_F(RegionEditorModelTest, ADragOnASplitReplacedUnderTheGestureStillCommits) {
    start(split(vertical, 0.25));
    model().mouseDown({358, 100});
    model().setTree(leafTree());
    const BSPNode replaced = model().tree();
    model().mouseDragged({800, 100});
    EXPECT_EQ(model().tree(), replaced);
    EXPECT_EQ(state(), "o undo 1 redo 0 reported 1 pressed 1 cursors  redraws 2");
}

// A stand-in for a text library: fixed advances, so every position below is plain arithmetic.
Size fakeMeasure(const std::string& text, FontRole role) {
    const double advance = role == FontRole::size ? 7 : 5;
    return {advance * static_cast<double>(text.size()), role == FontRole::size ? 16.0 : 13.0};
}

// The operations' letters in order (V fill, r rounded fill, R rounded outline, o oval, S segments,
// t text, g glyph); with `texts`, the texts instead, with where they start and their colour. Where
// shapes lie and their colours are seen in the widget's pixels.
std::string paintOf(BSPNode tree, const Rect& frame = kFrame, bool texts = false) {
    RegionEditorLayout layout;
    rebuildLayout(tree, frame, layout);
    std::ostringstream out;
    for (const auto& op :
         editorPaintList({layout, 1, {0, 0, 1440, 875}, {0, 0, 1440, 900}}, fakeMeasure)) {
        const auto* t = std::get_if<paint::Text>(&op);
        if (!texts) {
            out << "VrRoStg"[op.index()];
        } else if (t) {
            out << "'" << t->text << "' " << t->origin.x << "," << t->origin.y << " "
                << str(t->color) << "\n";
        }
    }
    return out.str();
}

TEST(RegionEditorPaint, VeilRegionsBarsThenMergeButtonsAndTextsOverThePills) {
    // Per region: body, outline, size pill and text, the label, and the split buttons; then the
    // bars, the hovered one among them, and last the merge buttons' discs and crosses.
    EXPECT_EQ(paintOf(split(vertical, 0.5, leafTree("Editor"), leafTree())),
              "VrRrttrgrgrRrtrgrgVoS");
    EXPECT_EQ(paintOf(split(horizontal, 0.5, split(vertical, 0.5), split(vertical, 0.5))),
              "VrRrtrgrgrRrtrgrgrRrtrgrgrRrtrgrgVVVoSoS");
    // "720 × 875" is 10 bytes: 70 wide to the measure, centred; the label 4 points above its pill.
    EXPECT_EQ(paintOf(split(vertical, 0.5, leafTree("Editor"), leafTree()), kFrame, true),
              "'720 \xC3\x97 875' 325,475.5 white/0.9\n'Editor' 345,498.5 white/0.6\n"
              "'720 \xC3\x97 875' 1045,475.5 white/0.9\n");
}

TEST(RegionEditorPaint, SizesAreTruncatedPointsOfTheVisibleFrameAndSmallRegionsHaveNoButtons) {
    EXPECT_EQ(regionSizeText({0, 0, 1.0 / 3, 1}, {0, 0, 1440, 875}), "480 \xC3\x97 875");
    EXPECT_EQ(regionSizeText({0, 0, 479.99 / 1440, 0.5}, {0, 0, 1440, 875}), "479 \xC3\x97 437");
    EXPECT_EQ(regionSizeText({0, 0, 0.5, 0.5}, {100, 100, 1920, 1050}), "960 \xC3\x97 525");
    // The view may be scaled; the text follows the screen's visible frame, not the view. An
    // empty label is drawn, a missing one is not.
    EXPECT_EQ(paintOf(leafTree(), {0, 0, 720, 437.5}, true),
              "'1440 \xC3\x97 875' 321.5,231.75 white/0.9\n");
    EXPECT_EQ(paintOf(leafTree(""), {0, 0, 100, 300}), "VrRrtt");
    EXPECT_EQ(paintOf(leafTree(""), {0, 0, 100, 300}, true),
              "'1440 \xC3\x97 875' 11.5,163 white/0.9\n'' 50,186 white/0.6\n");
}

using RegionEditorToolbarModelTest = test::DesktopTest;

// The menu's titles, the preselection of the first screen's preset and the name a save stores
// under are shown by the toolbar's own tests; these are the cases it does not reach.
TEST_F(RegionEditorToolbarModelTest, MenuFallsBackToThePlaceholderAndMapsOnlyItsItems) {
    const Screen first = desktop.addScreen({0, 0, 1920, 1080}, {0, 0, 1920, 1050});
    desktop.addScreen({1920, 0, 1280, 1024}, {1920, 0, 1280, 1024});
    const auto preselected = [&] {
        return RegionEditorToolbarModel(regions, desktop).preselectedIndex();
    };
    regions.applyPreset(preset(2), first);
    regions.saveCustomPreset("Desk");
    EXPECT_EQ(preselected(), 5) << "the saved preset, listed last";
    const RegionEditorToolbarModel menu(regions, desktop);
    for (const int item : {-1, 0, 6}) {
        EXPECT_EQ(menu.presetForItem(item), nullptr) << item;
    }
    EXPECT_EQ(menu.presetForItem(5)->name, "Desk");
    EXPECT_EQ(RegionEditorToolbarModel().presetForItem(1), nullptr) << "empty menu";
    regions.applyPreset(RegionPreset{Uuid::random(), "Gone", {}, 0, false}, first);
    EXPECT_EQ(preselected(), 0) << "the first screen's id is in no preset";
    regions.applyPreset(preset(1), first);
    desktop.screenList.clear();
    EXPECT_EQ(preselected(), 0) << "no screens";
}

} // namespace
} // namespace vantile
