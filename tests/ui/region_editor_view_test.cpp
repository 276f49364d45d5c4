// The region editor widget rendered offscreen and driven by Qt mouse events: the pixels it paints,
// at one and two device pixels a point and moved by whole pixels, and how Qt's top-left, y-down
// positions reach the editor. Then two shapes the painter once got wrong.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPainter>

#include <algorithm>

#include <string>
#include <tuple>
#include <utility>

#include "editor/region_editor_layout.h"
#include "editor/region_editor_paint.h"
#include "editor/ui/region_editor_painter.h"
#include "editor/ui/region_editor_painter_shapes.h"
#include "editor/ui/region_editor_view.h"
#include "ui/test_application.h"

namespace vantile::test {
namespace {

BSPNode leaf() {
    return BSPNode::leaf(Region{Uuid::random(), {}, std::nullopt});
}

// `top` at `alpha` composed source-over onto `below`, unpremultiplied, as a painter does.
QColor over(const QColor& below, const QColor& top, double alpha) {
    const double a = alpha + below.alphaF() * (1 - alpha);
    const auto mix = [&](double t, double b) {
        return float((t * alpha + b * below.alphaF() * (1 - alpha)) / a);
    };
    return QColor::fromRgbF(mix(top.redF(), below.redF()), mix(top.greenF(), below.greenF()),
                            mix(top.blueF(), below.blueF()), float(a));
}

class RegionEditorViewTest : public OffscreenTest {
  protected:
    RegionEditorViewTest() {
        view.resize(400, 300);
        view.onTreeChanged = [this](const BSPNode&) { ++treeChanges; };
        view.onInteraction = [this] { ++interactions; };
        view.show();
    }
    void click(QPointF at) {
        sendMouse(view, QEvent::MouseButtonPress, at);
        sendMouse(view, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }

    // A 400 × 300 screen with a 20-point panel at its top: in Qt's coordinates the editor frame
    // starts at y 20.
    RegionEditorView view{leaf(), Rect{0, 0, 400, 280}, Rect{0, 0, 400, 300}};
    int treeChanges = 0;
    int interactions = 0;
};

TEST_F(RegionEditorViewTest, PaintsVeilRegionsButtonsBarAndDiscWhereTheyBelong) {
    const QColor veil = over(Qt::transparent, Qt::black, 0.4);
    const QColor body = over(veil, Qt::white, 0.05), bar = over(veil, kAccent, 0.8);
    const QColor outline = over(body, kAccent, 0.6), button = over(body, Qt::white, 0.15);
    // A leaf, then two halves, the bar between them hovered, then left. Above the visible frame
    // only the veil, however transparent the surface was. A region's body starts 2 points in; its
    // 2-point outline straddles that edge. The columns button lies at Qt (204, 174)–(232, 202), a
    // 16 × 14 symbol stroked 1.5 wide at its middle. The bar, 4 points wide around x 200, lies
    // between the two regions' outlines; the merge button's disc covers its middle, above the
    // cross's ends. Hovered, the bar is 6 pixels of opaque accent.
    const std::tuple<std::string, int, int, QColor> pixels[] = {
        {"leaf", 100, 5, veil},
        {"leaf", 150, 60, body},
        {"leaf", 207, 176, button},
        {"leaf", 210, 188, over(button, Qt::white, 0.9)},
        {"leaf", 2, 150, outline},
        {"halves", 300, 19, veil},
        {"halves", 199, 250, bar},
        {"halves", 200, 250, bar},
        {"halves", 197, 250, outline},
        {"halves", 202, 250, outline},
        {"halves", 199, 152, over(bar, Qt::black, 0.7)},
        {"hovered", 196, 250, body},
        {"hovered", 197, 250, kAccent},
        {"hovered", 202, 250, kAccent},
        {"hovered", 203, 250, body},
        {"left", 199, 250, bar},
        {"left", 202, 250, outline}};
    for (const std::string state : {"leaf", "halves", "hovered", "left"}) {
        if (state == "halves") {
            view.setTree(BSPNode::split(SplitDirection::vertical, 0.5, leaf(), leaf()));
            EXPECT_EQ(std::pair(treeChanges, view.model().undoStack().size()), std::pair(0, 0ul))
                << "loading a tree is no edit";
        } else if (state == "hovered") {
            sendMouse(view, QEvent::MouseMove, {205, 250}, Qt::NoButton, Qt::NoButton);
        } else if (state == "left") {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(&view, &leave);
        }
        EXPECT_EQ(view.cursor().shape(), state == "hovered" ? Qt::SizeHorCursor : Qt::ArrowCursor);
        // Twice as many device pixels draw no shape from the images kept for the view's own; moved
        // by whole pixels, every shape falls where it did inside its pixel and is drawn from them.
        for (const auto& [scale, offset] :
             {std::pair(1, QPoint()), std::pair(2, QPoint()), std::pair(1, QPoint(7, 3))}) {
            const QImage image = rendered(view, scale, offset);
            for (const auto& [when, x, y, colour] : pixels) {
                if (when == state) {
                    SCOPED_TRACE(testing::Message()
                                 << state << " at scale " << scale << " moved by " << offset.x()
                                 << "," << offset.y());
                    expectPixel(image, QPoint(x, y) * scale + offset, colour);
                }
            }
        }
    }
}

TEST_F(RegionEditorViewTest, LeftPressOnASplitButtonSplitsAtTheFlippedPosition) {
    sendMouse(view, QEvent::MouseButtonPress, {218, 188}, Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(std::pair(treeChanges, interactions), std::pair(0, 0)) << "only the left presses";
    click({218, 188}); // the columns button
    ASSERT_FALSE(view.tree().isLeaf());
    EXPECT_EQ(view.tree().direction(), SplitDirection::vertical);
    EXPECT_EQ(std::pair(treeChanges, interactions), std::pair(1, 1));
    click({218, 112}); // where an unflipped position would land: nothing there
    EXPECT_EQ(std::pair(treeChanges, interactions), std::pair(1, 2));
    view.undo();
    EXPECT_TRUE(view.tree().isLeaf());
    view.redo();
    EXPECT_FALSE(view.tree().isLeaf());
    EXPECT_EQ(treeChanges, 3);
}

// A region a tenth of the width: its size pill reaches into its neighbour, whose body must then
// be composed over the pill, not written over it.
TEST_F(RegionEditorViewTest, BodiesStillComposeWhereAPillSpillsOver) {
    BSPNode tree = BSPNode::split(SplitDirection::vertical, 0.1, leaf(), leaf());
    RegionEditorLayout layout;
    rebuildLayout(tree, {0, 0, 300, 200}, layout);
    const EditorPaintStyle style = editorPaintStyle(view);
    const std::vector<PaintOperation> list = editorPaintList(
        {layout, std::nullopt, {0, 0, 300, 200}, {0, 0, 300, 200}}, editorTextMeasure(style));
    QImage image(300, 200, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintEditorOperations(painter, list, style, 200);
    painter.end();
    // A pixel on the pill, right of its text and inside the neighbour's body.
    const auto pill = std::find_if(list.begin(), list.end(), [](const PaintOperation& op) {
        const auto* fill = std::get_if<paint::FillRoundedRect>(&op);
        return fill && fill->color == PaintColor{ColorBase::black, 0.6};
    });
    const auto text = std::find_if(list.begin(), list.end(), [](const PaintOperation& op) {
        return std::holds_alternative<paint::Text>(op);
    });
    ASSERT_TRUE(pill != list.end() && text != list.end());
    const Rect pillRect = std::get<paint::FillRoundedRect>(*pill).rect;
    const paint::Text& size = std::get<paint::Text>(*text);
    const int x = int((size.origin.x + size.size.width + pillRect.maxX()) / 2);
    ASSERT_GE(x, 36) << "the pill ends inside the narrow region";
    const QColor veil = over(Qt::transparent, Qt::black, 0.4);
    expectPixel(image, {x, int(200 - pillRect.midY())},
                over(over(veil, Qt::black, 0.6), Qt::white, 0.05));
}

// A rect reaching far past the surface (from a layout with absurd numbers) is cut to what can be
// seen: drawing it ends at once instead of walking bands without end.
TEST(RegionEditorPainterShapes, ShapesReachingFarOffTheSurfaceEndAtOnce) {
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    fillRectPieces(painter, QRectF(0.5, 0.5, 10.25, 1e17), QColor(255, 0, 0, 128));
    fillRectPieces(painter, QRectF(20.5, -1e17, 10.25, 2e17), QColor(0, 0, 255, 128));
    painter.end();
    EXPECT_EQ(image.pixelColor(5, 40), QColor(255, 0, 0, 128));
    EXPECT_EQ(image.pixelColor(25, 40), QColor(0, 0, 255, 128));
    EXPECT_EQ(image.pixelColor(15, 40).alpha(), 0);
}

} // namespace
} // namespace vantile::test
