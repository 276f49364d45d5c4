// The editor's painter cuts its shapes into pieces that Qt fills quickly. Here the same paint
// list is drawn both ways, the pieces and each shape whole as a plain QPainter path, on a
// translucent and on an opaque surface, and the two images must agree up to antialiasing noise.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QTransform>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "core/editor/region_editor_layout.h"
#include "core/editor/region_editor_paint.h"
#include "ui/qt/editor/region_editor_painter.h"
#include "ui/qt/editor/region_editor_painter_shapes.h"
#include "ui/test_application.h"

namespace vantile {
namespace {

constexpr int kWidth = 1200;
constexpr int kHeight = 800;
// Per channel: a shape cut into pieces is rounded a little differently where pieces meet.
constexpr int kTolerance = 3;

// Splits at 0.45 put every edge between pixels, so the antialiased rims are all exercised.
BSPNode unevenTree(int depth, SplitDirection direction, int& counter) {
    if (depth == 0) {
        return BSPNode::leaf(Region{Uuid::random(), {}, "Region " + std::to_string(++counter)});
    }
    const SplitDirection next = direction == SplitDirection::vertical ? SplitDirection::horizontal
                                                                      : SplitDirection::vertical;
    BSPNode first = unevenTree(depth - 1, next, counter);
    BSPNode second = unevenTree(depth - 1, next, counter);
    return BSPNode::split(direction, 0.45, std::move(first), std::move(second));
}

// Every shape drawn whole, as the editor drew it before it was cut into pieces and kept in
// images. Text is drawn one way only, so it goes through the editor's painter.
struct WholeShapes {
    QPainter& painter;
    const EditorPaintStyle& style;

    QRectF rect(const Rect& r) const { return {r.x, kHeight - r.y - r.height, r.width, r.height}; }

    QColor color(const PaintColor& c) const { return editorColor(c, style); }

    QPen pen(const PaintColor& c, double width) const {
        return QPen(color(c), width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    }

    static QPainterPath rounded(const QRectF& r, double radius) {
        QPainterPath path;
        path.addRoundedRect(r, radius, radius);
        return path;
    }

    void operator()(const paint::FillRect& op) const {
        painter.setCompositionMode(op.composition == Composition::source
                                       ? QPainter::CompositionMode_Source
                                       : QPainter::CompositionMode_SourceOver);
        painter.fillRect(rect(op.rect), color(op.color));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    void operator()(const paint::FillRoundedRect& op) const {
        painter.fillPath(rounded(rect(op.rect), op.radius), color(op.color));
    }
    void operator()(const paint::StrokeRoundedRect& op) const {
        painter.strokePath(rounded(rect(op.rect), op.radius), pen(op.color, op.lineWidth));
    }
    void operator()(const paint::FillOval& op) const {
        QPainterPath path;
        path.addEllipse(rect(op.rect));
        painter.fillPath(path, color(op.color));
    }
    void operator()(const paint::StrokeSegments& op) const {
        QPainterPath path;
        for (const auto& [from, to] : op.segments) {
            path.moveTo(from.x, kHeight - from.y);
            path.lineTo(to.x, kHeight - to.y);
        }
        painter.strokePath(path, pen(op.color, op.lineWidth));
    }
    void operator()(const paint::Glyph& op) const {
        // A 16 × 14 rounded frame, radius 3, stroked 1.5 wide inside its box, and one line.
        const QPointF c = rect(op.button).center();
        const QRectF frame(c.x() - 8 + 0.75, c.y() - 7 + 0.75, 14.5, 12.5);
        QPainterPath path = rounded(frame, 3);
        if (op.glyph == SplitGlyph::rows) {
            path.moveTo(frame.left(), c.y());
            path.lineTo(frame.right(), c.y());
        } else {
            path.moveTo(c.x(), frame.top());
            path.lineTo(c.x(), frame.bottom());
        }
        painter.strokePath(path, pen(op.color, 1.5));
    }
    template <typename Op> void operator()(const Op& op) const {
        paintEditorOperations(painter, {PaintOperation{op}}, style, kHeight);
    }
};

struct Difference {
    long long over = 0;
    int largest = 0;
};

Difference compare(const QImage& a, const QImage& b) {
    Difference d;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int most =
                std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            d.largest = std::max(d.largest, most);
            d.over += most > kTolerance ? 1 : 0;
        }
    }
    return d;
}

class RegionEditorPainterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        application_ = test::TestApplication::offscreen();
        test::TestApplication::setAccent(QColor(40, 110, 220));
        widget_ = std::make_unique<QWidget>();
        style_ = editorPaintStyle(*widget_);
        int counter = 0;
        BSPNode tree = unevenTree(4, SplitDirection::vertical, counter);
        rebuildLayout(tree, {0, 0, kWidth, kHeight - 20.0}, layout_);
        // The second boundary hovered, so that the wider bar is drawn too.
        const Rect frame{0, 0, kWidth, kHeight - 20.0};
        operations_ = editorPaintList({layout_, 1, frame, {0, 0, kWidth, kHeight}},
                                      editorTextMeasure(style_));
    }

    void TearDown() override {
        widget_.reset();
        application_.reset();
    }

    QImage drawn(QImage::Format format, const QColor& background, bool whole,
                 const QTransform& transform = {}, const std::vector<PaintOperation>* list = {},
                 double pixelRatio = 1) const {
        const std::vector<PaintOperation>& operations = list ? *list : operations_;
        QImage image(static_cast<int>(kWidth * pixelRatio), static_cast<int>(kHeight * pixelRatio),
                     format);
        image.setDevicePixelRatio(pixelRatio);
        image.fill(background);
        QPainter painter(&image);
        painter.setTransform(transform);
        if (whole) {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            const WholeShapes shapes{painter, style_};
            for (const PaintOperation& op : operations) {
                std::visit(shapes, op);
            }
        } else {
            paintEditorOperations(painter, operations, style_, kHeight);
        }
        return image;
    }

    void expectSameLook(QImage::Format format, const QColor& background,
                        const QTransform& transform = {}, double pixelRatio = 1) const {
        const QImage whole = drawn(format, background, true, transform, nullptr, pixelRatio);
        const QImage pieces = drawn(format, background, false, transform, nullptr, pixelRatio);
        // A veil alone would differ from the editor on many pixels: the comparison can fail.
        QImage veil(whole.size(), format);
        veil.fill(background);
        QPainter(&veil).fillRect(veil.rect(), QColor(0, 0, 0, 102));
        const long long pixels = static_cast<long long>(whole.width()) * whole.height();
        ASSERT_GT(compare(whole, veil).over, pixels / 8);

        const Difference d = compare(whole, pieces);
        // Nearly all: one pixel in ten thousand may be off by more, where pieces meet at a
        // corner's rim.
        EXPECT_LE(d.over, pixels / 10000) << "largest difference " << d.largest;
        EXPECT_LE(d.largest, 2 * kTolerance);
    }

    std::unique_ptr<test::TestApplication> application_;
    std::unique_ptr<QWidget> widget_;
    EditorPaintStyle style_;
    RegionEditorLayout layout_;
    std::vector<PaintOperation> operations_;
};

TEST_F(RegionEditorPainterTest, PiecesLookLikeWholeShapesOnATranslucentSurface) {
    ASSERT_GE(layout_.regionRects.size(), 16u);
    expectSameLook(QImage::Format_ARGB32_Premultiplied, Qt::transparent);
}

TEST_F(RegionEditorPainterTest, PiecesLookLikeWholeShapesOnAnOpaqueSurface) {
    expectSameLook(QImage::Format_RGB32, QColor(90, 140, 60));
}

TEST_F(RegionEditorPainterTest, ShapesKeptFromAnEarlierFrameLookTheSameElsewhere) {
    // The first frame keeps its small shapes' images; moved by whole pixels, every shape falls
    // where it did inside its pixel and is drawn from them.
    drawn(QImage::Format_ARGB32_Premultiplied, Qt::transparent, false);
    expectSameLook(QImage::Format_ARGB32_Premultiplied, Qt::transparent,
                   QTransform::fromTranslate(7, -3));
}

TEST_F(RegionEditorPainterTest, PiecesLookLikeWholeShapesOnAScaledSurface) {
    // Twice as many device pixels: no shape is taken from the images kept for the view's own.
    drawn(QImage::Format_ARGB32_Premultiplied, Qt::transparent, false);
    expectSameLook(QImage::Format_ARGB32_Premultiplied, Qt::transparent, {}, 2);
}

TEST_F(RegionEditorPainterTest, VeilLeftOutUnderBodiesChangesNoPixel) {
    // An empty first fill makes the veil the second operation: it is then written everywhere
    // before the bodies, as the editor wrote it before.
    std::vector<PaintOperation> veilEverywhere{
        paint::FillRect{{0, 0, 0, 0}, {ColorBase::black, 0}, Composition::sourceOver}};
    veilEverywhere.insert(veilEverywhere.end(), operations_.begin(), operations_.end());
    for (const QImage::Format format :
         {QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32}) {
        const QImage around = drawn(format, QColor(90, 140, 60, 128), false);
        const QImage everywhere =
            drawn(format, QColor(90, 140, 60, 128), false, {}, &veilEverywhere);
        EXPECT_EQ(compare(around, everywhere).largest, 0);
    }
}

TEST_F(RegionEditorPainterTest, BodiesStillComposeWhereAPillSpillsOver) {
    // A region a tenth of the width: its size pill reaches into its neighbour, whose body must
    // then be composed over the pill, not written over it.
    BSPNode tree = BSPNode::split(SplitDirection::vertical, 0.1,
                                  BSPNode::leaf(Region{Uuid::random(), {}, std::nullopt}),
                                  BSPNode::leaf(Region{Uuid::random(), {}, std::nullopt}));
    rebuildLayout(tree, {0, 0, 300, kHeight}, layout_);
    operations_ =
        editorPaintList({layout_, std::nullopt, {0, 0, 300, kHeight}, {0, 0, kWidth, kHeight}},
                        editorTextMeasure(style_));
    expectSameLook(QImage::Format_ARGB32_Premultiplied, Qt::transparent);
}

// A rect reaching far past the surface (from a layout with absurd numbers) is cut to what can be
// seen: drawing it ends at once instead of walking bands without end.
TEST(RegionEditorPainterShapes, ShapesReachingFarOffTheSurfaceEndAtOnce) {
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    fillRectPieces(painter, QRectF(0.5, 0.5, 10.25, 1e17), QColor(255, 0, 0, 128),
                   QPainter::CompositionMode_SourceOver);
    fillRectPieces(painter, QRectF(20.5, -1e17, 10.25, 2e17), QColor(0, 0, 255, 128),
                   QPainter::CompositionMode_SourceOver);
    painter.end();
    EXPECT_EQ(image.pixelColor(5, 40), QColor(255, 0, 0, 128));
    EXPECT_EQ(image.pixelColor(25, 40), QColor(0, 0, 255, 128));
    EXPECT_EQ(image.pixelColor(15, 40).alpha(), 0);
}

} // namespace
} // namespace vantile
