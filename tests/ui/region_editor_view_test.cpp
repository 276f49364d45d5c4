// The region editor widget rendered offscreen and driven by Qt mouse events: the pixels it paints
// and how Qt's top-left, y-down positions reach the editor.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPalette>

#include <filesystem>
#include <memory>

#include "core/regions/builtin_presets.h"
#include "ui/qt/editor/region_editor_view.h"
#include "ui/test_application.h"

namespace vantile {
namespace {

const QColor kAccent(40, 110, 220);
// A 400 × 300 screen with a 20-point panel at its top: in Qt's coordinates the editor frame
// starts at y 20.
const Rect kScreen{0, 0, 400, 300};
const Rect kVisible{0, 0, 400, 280};

BSPNode leafTree() {
    return BSPNode::leaf(Region{Uuid::random(), {}, std::nullopt});
}

BSPNode splitTree(SplitDirection d, double f) {
    return BSPNode::split(d, f, leafTree(), leafTree());
}

// Unpremultiplied RGBA as doubles, composed source-over as a painter does.
struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
};

Rgba over(const Rgba& below, const QColor& color, double alpha) {
    const double a = alpha + below.a * (1 - alpha);
    auto mix = [&](double top, double bottom) {
        return (top * alpha + bottom * below.a * (1 - alpha)) / a;
    };
    return {mix(color.red(), below.r), mix(color.green(), below.g), mix(color.blue(), below.b), a};
}

const Rgba kVeil = over({}, Qt::black, 0.4);

void expectPixel(const QImage& image, int x, int y, const Rgba& expected) {
    const QColor actual = image.pixelColor(x, y);
    SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
    EXPECT_NEAR(actual.alpha(), expected.a * 255, 2);
    // Premultiplied storage loses some precision in the colour of faint pixels.
    EXPECT_NEAR(actual.red(), expected.r, 4);
    EXPECT_NEAR(actual.green(), expected.g, 4);
    EXPECT_NEAR(actual.blue(), expected.b, 4);
}

bool isOpaqueAccent(const QImage& image, int x, int y) {
    const QColor c = image.pixelColor(x, y);
    return c.alpha() == 255 && std::abs(c.red() - kAccent.red()) <= 2 &&
           std::abs(c.green() - kAccent.green()) <= 2 && std::abs(c.blue() - kAccent.blue()) <= 2;
}

class RegionEditorViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        application_ = test::TestApplication::offscreen();
        test::TestApplication::setAccent(kAccent);
    }

    void TearDown() override {
        view_.reset();
        application_.reset();
    }

    RegionEditorView& show(BSPNode tree, const Rect& visible = kVisible,
                           const Rect& screen = kScreen) {
        view_ = std::make_unique<RegionEditorView>(std::move(tree), visible, screen);
        view_->resize(static_cast<int>(screen.width), static_cast<int>(screen.height));
        view_->onTreeChanged = [this](const BSPNode&) { ++treeChanges_; };
        view_->onInteraction = [this] { ++interactions_; };
        view_->show();
        QApplication::processEvents();
        return *view_;
    }

    QImage rendered() const {
        QImage image(view_->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        view_->render(&image);
        return image;
    }

    void mouse(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, at, view_->mapToGlobal(at), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(view_.get(), &event);
    }
    void press(QPointF at) { mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
    void moveHeld(QPointF at) { mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton); }
    void moveFree(QPointF at) { mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton); }
    void release(QPointF at) {
        mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }

    std::unique_ptr<test::TestApplication> application_;
    std::unique_ptr<RegionEditorView> view_;
    int treeChanges_ = 0;
    int interactions_ = 0;
};

TEST_F(RegionEditorViewTest, VeilOutlineBarAndMergeDisc) {
    show(splitTree(SplitDirection::vertical, 0.5));
    const QImage image = rendered();
    // Above the visible frame only the veil is painted, however transparent the surface was.
    expectPixel(image, 100, 5, kVeil);
    expectPixel(image, 300, 19, kVeil);
    // The left region's body starts 2 points in, and its 2-point outline straddles that edge.
    expectPixel(image, 2, 150, over(over(kVeil, Qt::white, 0.05), kAccent, 0.6));
    expectPixel(image, 150, 60, over(kVeil, Qt::white, 0.05));
    // The bar, 4 points wide around x 200, between the two regions' outlines.
    expectPixel(image, 199, 250, over(kVeil, kAccent, 0.8));
    expectPixel(image, 200, 250, over(kVeil, kAccent, 0.8));
    // The merge button's disc covers the middle of the bar, above the cross's ends.
    expectPixel(image, 199, 152, over(over(kVeil, kAccent, 0.8), Qt::black, 0.7));
}

TEST_F(RegionEditorViewTest, HoveredBarIsSixPixelsOfOpaqueAccent) {
    show(splitTree(SplitDirection::vertical, 0.5));
    auto opaqueRun = [](const QImage& image, int y) {
        std::vector<int> xs;
        for (int x = 150; x < 250; ++x) {
            if (isOpaqueAccent(image, x, y)) {
                xs.push_back(x);
            }
        }
        return xs;
    };
    const QImage idle = rendered();
    EXPECT_TRUE(opaqueRun(idle, 250).empty());
    moveFree({205, 250});
    EXPECT_EQ(view_->cursor().shape(), Qt::SizeHorCursor);
    EXPECT_EQ(opaqueRun(rendered(), 250), (std::vector<int>{197, 198, 199, 200, 201, 202}));

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(view_.get(), &leave);
    EXPECT_EQ(view_->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(opaqueRun(rendered(), 250).empty());
}

TEST_F(RegionEditorViewTest, RenderedEditorIsSavedAsAnArtifact) {
    // A second screen left of and below the primary, with a 25-point panel at its top.
    RegionEditorView& view = show(builtInTree(builtInPresets().at(2)), {-1440, -300, 1440, 875},
                                  {-1440, -300, 1440, 900});
    view.model().mouseMoved({300, 440});
    ASSERT_EQ(view.model().hoveredBoundaryIndex(), 0u);
    const QImage image = rendered();
    const auto folder = std::filesystem::path(VANTILE_BINARY_DIR) / "test-artifacts";
    std::filesystem::create_directories(folder);
    const auto file = folder / "region_editor_quarters.png";
    std::filesystem::remove(file);
    ASSERT_TRUE(image.save(QString::fromStdString(file.string()), "PNG"));
    const QImage loaded(QString::fromStdString(file.string()));
    ASSERT_FALSE(loaded.isNull());
    EXPECT_EQ(loaded.size(), QSize(1440, 900));
    const QImage expected = image.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(loaded.convertToFormat(QImage::Format_ARGB32), expected);
}

TEST_F(RegionEditorViewTest, PressOnASplitButtonSplitsAtTheFlippedPosition) {
    show(leafTree());
    // The columns button lies at view (204, 98)–(232, 126): Qt y 174 to 202.
    press({218, 188});
    release({218, 188});
    ASSERT_FALSE(view_->tree().isLeaf());
    EXPECT_EQ(view_->tree().direction(), SplitDirection::vertical);
    EXPECT_EQ(treeChanges_, 1);
    EXPECT_EQ(interactions_, 1);
    // Where an unflipped position would land: nothing there.
    press({218, 112});
    EXPECT_EQ(treeChanges_, 1);
    EXPECT_EQ(interactions_, 2);
    view_->undo();
    EXPECT_TRUE(view_->tree().isLeaf());
    view_->redo();
    EXPECT_FALSE(view_->tree().isLeaf());
    EXPECT_EQ(treeChanges_, 3);
}

TEST_F(RegionEditorViewTest, DragsMoveBoundariesInWidgetCoordinates) {
    show(splitTree(SplitDirection::horizontal, 0.5));
    // The line is at view y 140, Qt y 160; the merge button sits at its middle.
    press({50, 160});
    moveHeld({50, 120});
    moveHeld({50, 90});
    EXPECT_EQ(view_->cursor().shape(), Qt::ArrowCursor);
    release({50, 90});
    // Qt y 90 is view y 210, a quarter of the frame's height below its top.
    EXPECT_DOUBLE_EQ(view_->tree().fraction(), 0.25);
    EXPECT_EQ(treeChanges_, 2);
    EXPECT_EQ(view_->model().undoStack().size(), 1u);
    EXPECT_FALSE(view_->model().draggingBoundary());

    // Moving with the button held but no drag under way only hovers.
    moveHeld({50, 95});
    EXPECT_DOUBLE_EQ(view_->tree().fraction(), 0.25);
    EXPECT_EQ(view_->model().hoveredBoundaryIndex(), 0u);
    EXPECT_EQ(view_->cursor().shape(), Qt::SizeVerCursor);
}

TEST_F(RegionEditorViewTest, OnlyTheLeftButtonPressesAndLoadingATreeIsNoEdit) {
    show(leafTree());
    mouse(QEvent::MouseButtonPress, {218, 188}, Qt::RightButton, Qt::RightButton);
    EXPECT_TRUE(view_->tree().isLeaf());
    EXPECT_EQ(interactions_, 0);
    view_->setTree(splitTree(SplitDirection::vertical, 0.25));
    EXPECT_EQ(treeChanges_, 0);
    EXPECT_TRUE(view_->model().undoStack().empty());
    ASSERT_EQ(view_->model().boundaryLines().size(), 1u);
    EXPECT_EQ(view_->model().boundaryLines()[0].rect.x, 98);
}

} // namespace
} // namespace vantile
