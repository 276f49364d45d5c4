// What the pointer and the undo keys do to one screen's editor: hover and cursors, the order in
// which a press is tested, splits, merges, boundary drags and their undo history.

#include <gtest/gtest.h>

#include <vector>

#include "core/editor/region_editor_model.h"
#include "core/regions/bsp_node.h"
#include "core/regions/builtin_presets.h"

namespace vantile {
namespace {

// A second screen right of the primary; its visible frame stops 25 points below its top. In the
// view that covers the screen, the visible frame is (0, 25, 1440, 875).
const Rect kVisibleFrame{1440, 0, 1440, 875};
const Point kScreenOrigin{1440, -25};

BSPNode leafTree(std::optional<std::string> label = std::nullopt) {
    return BSPNode::leaf(Region{Uuid::random(), {}, std::move(label)});
}

BSPNode splitTree(SplitDirection d, double f, BSPNode first, BSPNode second) {
    return BSPNode::split(d, f, std::move(first), std::move(second));
}

BSPNode withRects(BSPNode tree) {
    tree.recalculateRects(unitRect);
    return tree;
}

class RegionEditorModelTest : public ::testing::Test {
  protected:
    void start(BSPNode tree) {
        model_ = std::make_unique<RegionEditorModel>(std::move(tree), kVisibleFrame, [] {
            return EditorPlacement{{0, 0, 1440, 900}, true, kScreenOrigin};
        });
        model_->onTreeChanged = [this](const BSPNode& t) { reported_.push_back(t); };
        model_->onInteraction = [this] { ++interactions_; };
        model_->onCursor = [this](EditorCursor c) { cursors_.push_back(c); };
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

    RegionEditorModel& model() { return *model_; }

    std::unique_ptr<RegionEditorModel> model_;
    std::vector<BSPNode> reported_;
    int interactions_ = 0;
    std::vector<EditorCursor> cursors_;
    int redraws_ = 0;
};

TEST_F(RegionEditorModelTest, HoverSetsCursorOncePerBoundaryAndClearsOnLeaving) {
    start(splitTree(SplitDirection::horizontal, 0.5, leafTree(),
                    splitTree(SplitDirection::vertical, 0.5, leafTree(), leafTree())));
    // Boundary 0 is the horizontal line at y 462.5, boundary 1 the vertical one below it.
    model().mouseMoved({300, 470});
    model().mouseMoved({310, 455});
    EXPECT_EQ(model().hoveredBoundaryIndex(), 0u);
    model().mouseMoved({725, 200});
    EXPECT_EQ(model().hoveredBoundaryIndex(), 1u);
    model().mouseMoved({300, 700});
    EXPECT_FALSE(model().hoveredBoundaryIndex());
    model().mouseMoved({300, 710});
    model().mouseExited();
    model().mouseMoved({730, 100});
    model().mouseExited();
    EXPECT_FALSE(model().hoveredBoundaryIndex());
    EXPECT_EQ(cursors_,
              (std::vector<EditorCursor>{EditorCursor::resizeUpDown, EditorCursor::resizeLeftRight,
                                         EditorCursor::arrow, EditorCursor::resizeLeftRight,
                                         EditorCursor::arrow}));
    EXPECT_EQ(redraws_, 5);
    EXPECT_TRUE(reported_.empty());
}

TEST_F(RegionEditorModelTest, MergeButtonOverTheBandMergesInsteadOfDragging) {
    start(splitTree(SplitDirection::vertical, 0.5, leafTree(), leafTree()));
    const BSPNode before = model().tree();
    model().mouseDown({720, 462.5});
    EXPECT_TRUE(model().tree().isLeaf());
    EXPECT_FALSE(model().draggingBoundary());
    ASSERT_EQ(model().undoStack().size(), 1u);
    EXPECT_EQ(model().undoStack()[0], before);
    ASSERT_EQ(reported_.size(), 1u);
    EXPECT_EQ(reported_[0], model().tree());
    EXPECT_EQ(model().regionRects().size(), 1u);
    EXPECT_EQ(interactions_, 1);
}

TEST_F(RegionEditorModelTest, SplitMergeUndoRedoAndANewEditDropsRedo) {
    start(leafTree());
    const BSPNode original = model().tree();
    // The right-hand button of the pair splits into columns.
    model().mouseDown({738, 434});
    const BSPNode split = model().tree();
    ASSERT_FALSE(split.isLeaf());
    EXPECT_EQ(split.direction(), SplitDirection::vertical);
    EXPECT_EQ(split.fraction(), 0.5);
    EXPECT_EQ(model().boundaryLines().size(), 1u);

    model().mouseDown(model().mergeButtonRects().at(0).rect.origin());
    EXPECT_TRUE(model().tree().isLeaf());
    model().undo();
    EXPECT_EQ(model().tree(), split);
    model().undo();
    EXPECT_EQ(model().tree(), original);
    model().undo();
    EXPECT_EQ(model().tree(), original);
    EXPECT_EQ(model().redoStack().size(), 2u);

    model().redo();
    EXPECT_EQ(model().tree(), split);
    EXPECT_EQ(model().redoStack().size(), 1u);
    // The left-hand button splits into rows, and the redo history goes.
    model().mouseDown({500, 700});
    EXPECT_EQ(model().tree(), split);
    const Rect rowsButton = model().splitButtonRects().at(0).rect;
    EXPECT_EQ(model().splitButtonRects()[0].direction, SplitDirection::horizontal);
    model().mouseDown({rowsButton.midX(), rowsButton.midY()});
    EXPECT_TRUE(model().redoStack().empty());
    EXPECT_EQ(model().tree().first().direction(), SplitDirection::horizontal);
    const BSPNode afterSplit = model().tree();
    model().redo();
    EXPECT_EQ(model().tree(), afterSplit);
    // Split, merge, undo, undo, redo, split: every one reported, the empty undo and redo not.
    EXPECT_EQ(reported_.size(), 6u);
    EXPECT_EQ(interactions_, 4);
}

TEST_F(RegionEditorModelTest, PressesThatHitNothingOnlyReportTheInteraction) {
    start(splitTree(SplitDirection::vertical, 0.5, leafTree(), leafTree()));
    const BSPNode before = model().tree();
    model().mouseDown({100, 800});
    model().mouseUp({100, 800});
    model().mouseDragged({200, 800});
    EXPECT_EQ(interactions_, 1);
    EXPECT_EQ(model().tree(), before);
    EXPECT_TRUE(model().undoStack().empty());
    EXPECT_TRUE(reported_.empty());
    EXPECT_TRUE(cursors_.empty());
    EXPECT_EQ(redraws_, 0);
}

TEST_F(RegionEditorModelTest, PressAndReleaseOnABoundaryChangesNothing) {
    start(splitTree(SplitDirection::vertical, 0.5, leafTree(), leafTree()));
    const BSPNode before = model().tree();
    model().mouseDown({715, 200});
    ASSERT_TRUE(model().draggingBoundary());
    EXPECT_EQ(*model().draggingBoundary(), model().boundaryLines()[0]);
    EXPECT_EQ(model().dragStartPoint(), (Point{715, 200}));
    model().mouseUp({715, 200});
    EXPECT_FALSE(model().draggingBoundary());
    EXPECT_EQ(model().tree(), before);
    EXPECT_TRUE(model().undoStack().empty());
    EXPECT_TRUE(reported_.empty());
    EXPECT_EQ(cursors_, std::vector<EditorCursor>{EditorCursor::arrow});
    EXPECT_EQ(redraws_, 0);
}

TEST_F(RegionEditorModelTest, TenEventDragIsOneUndoStep) {
    start(splitTree(SplitDirection::vertical, 0.5, leafTree(), leafTree()));
    const BSPNode before = model().tree();
    std::vector<Point> path;
    for (int i = 1; i <= 10; ++i) {
        path.push_back({720.0 + 14.4 * i, 300});
    }
    drag({720, 300}, path);
    EXPECT_DOUBLE_EQ(model().tree().fraction(), 0.6);
    EXPECT_EQ(model().undoStack().size(), 1u);
    EXPECT_EQ(reported_.size(), 10u);
    EXPECT_EQ(model().dragStartPoint(), Point{});
    // Every reported tree carries leaf rects that agree with its own fractions.
    for (const BSPNode& tree : reported_) {
        EXPECT_EQ(tree, withRects(tree));
    }
    EXPECT_DOUBLE_EQ(reported_[0].first().region().rect.width, 734.4 / 1440);
    model().undo();
    EXPECT_EQ(model().tree(), before);
    EXPECT_EQ(model().boundaryLines()[0].rect.x, 718);
}

TEST_F(RegionEditorModelTest, DragsStopAtATenthOfTheSplit) {
    start(splitTree(SplitDirection::vertical, 0.5, leafTree(), leafTree()));
    drag({721, 100}, {{0, 100}});
    EXPECT_DOUBLE_EQ(model().tree().fraction(), 0.1);
    drag({144, 100}, {{1440, 100}});
    EXPECT_DOUBLE_EQ(model().tree().fraction(), 0.9);
    drag({1296, 100}, {{-300, 100}, {1000, 100}, {5000, 100}});
    EXPECT_DOUBLE_EQ(model().tree().fraction(), 0.9);
    EXPECT_EQ(model().undoStack().size(), 3u);
}

TEST_F(RegionEditorModelTest, HorizontalDragMeasuresFromTheTopOfTheSplit) {
    start(splitTree(SplitDirection::horizontal, 0.6, leafTree(), leafTree()));
    // The line lies at y 375; a quarter of the way down the frame is y 25 + 0.75 · 875.
    drag({500, 376}, {{500, 681.25}});
    EXPECT_DOUBLE_EQ(model().tree().fraction(), 0.25);
    drag({500, 681}, {{500, 0}});
    EXPECT_DOUBLE_EQ(model().tree().fraction(), 0.9);
}

TEST_F(RegionEditorModelTest, NestedBoundariesSharingANearRegionMoveTheirOwnSplit) {
    start(splitTree(SplitDirection::vertical, 0.5,
                    splitTree(SplitDirection::horizontal, 0.5, leafTree(), leafTree()),
                    leafTree()));
    // The vertical line, well below the inner merge button.
    drag({720, 100}, {{1008, 100}});
    EXPECT_DOUBLE_EQ(model().tree().fraction(), 0.7);
    EXPECT_EQ(model().tree().first().fraction(), 0.5);
    // The horizontal line across the left part, away from its merge button.
    drag({100, 462}, {{100, 287.5}});
    EXPECT_DOUBLE_EQ(model().tree().first().fraction(), 0.7);
    EXPECT_DOUBLE_EQ(model().tree().fraction(), 0.7);
}

TEST_F(RegionEditorModelTest, QuartersMiddleLineMovesAloneAndReachesTheWholeWidth) {
    const auto& quarters = builtInPresets().at(2);
    ASSERT_EQ(quarters.name, "Quarters");
    start(builtInTree(quarters));
    ASSERT_EQ(model().boundaryLines().size(), 3u);
    // Halfway between the left edge and the vertical line below the middle.
    drag({300, 463}, {{300, 287.5}});
    const BSPNode& tree = model().tree();
    EXPECT_DOUBLE_EQ(tree.fraction(), 0.7);
    EXPECT_EQ(tree.first().fraction(), 0.5);
    EXPECT_EQ(tree.second().fraction(), 0.5);
    EXPECT_DOUBLE_EQ(model().boundaryLines()[0].rect.midY(), 25 + 0.3 * 875);
    EXPECT_EQ(model().undoStack().size(), 1u);
}

TEST_F(RegionEditorModelTest, DragUsesTheBoundaryAsPressedAndAnUnmatchedStepStillCommits) {
    start(splitTree(SplitDirection::vertical, 0.5, leafTree(), leafTree()));
    model().mouseDown({720, 100});
    // The tree changes under the gesture: the pressed split no longer exists.
    model().setTree(leafTree());
    const BSPNode replaced = model().tree();
    model().mouseDragged({800, 100});
    EXPECT_EQ(model().tree(), replaced);
    EXPECT_EQ(model().undoStack().size(), 1u);
    EXPECT_EQ(reported_.size(), 1u);
}

TEST_F(RegionEditorModelTest, SetTreeIsNeitherUndoableNorReported) {
    start(leafTree());
    const int redrawsBefore = redraws_;
    model().setTree(splitTree(SplitDirection::vertical, 0.25, leafTree(), leafTree()));
    EXPECT_TRUE(model().undoStack().empty());
    EXPECT_TRUE(reported_.empty());
    EXPECT_EQ(redraws_, redrawsBefore + 1);
    ASSERT_EQ(model().boundaryLines().size(), 1u);
    EXPECT_EQ(model().boundaryLines()[0].rect.x, 358);
}

} // namespace
} // namespace vantile
