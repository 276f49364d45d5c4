// The editor's painter cuts its shapes into pieces that Qt fills quickly. Here the same paint
// list is drawn both ways, the pieces and each shape whole as a plain QPainter path, on a
// translucent and on an opaque surface, and the two images must agree up to antialiasing noise.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "editor/region_editor_layout.h"
#include "editor/region_editor_paint.h"
#include "editor/ui/region_editor_painter.h"
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

// Every shape drawn whole, as the editor drew it before it was cut into pieces. Text and the
// split glyphs are drawn one way only, so they go through the editor's painter.
struct WholeShapes {
    QPainter& painter;
    const EditorPaintStyle& style;

    QRectF rect(const Rect& r) const { return {r.x, kHeight - r.y - r.height, r.width, r.height}; }

    QColor color(const PaintColor& c) const {
        QColor base = c.base == ColorBase::black   ? QColor(Qt::black)
                      : c.base == ColorBase::white ? QColor(Qt::white)
                                                   : style.accent;
        base.setAlphaF(static_cast<float>(c.alpha));
        return base;
    }

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
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Active, QPalette::Highlight, QColor(40, 110, 220));
        QApplication::setPalette(palette);
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

    QImage drawn(QImage::Format format, const QColor& background, bool whole) const {
        QImage image(kWidth, kHeight, format);
        image.fill(background);
        QPainter painter(&image);
        if (whole) {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            const WholeShapes shapes{painter, style_};
            for (const PaintOperation& op : operations_) {
                std::visit(shapes, op);
            }
        } else {
            paintEditorOperations(painter, operations_, style_, kHeight);
        }
        return image;
    }

    void expectSameLook(QImage::Format format, const QColor& background) const {
        const QImage whole = drawn(format, background, true);
        const QImage pieces = drawn(format, background, false);
        // A veil alone would differ from the editor on many pixels: the comparison can fail.
        QImage veil(kWidth, kHeight, format);
        veil.fill(background);
        QPainter(&veil).fillRect(veil.rect(), QColor(0, 0, 0, 102));
        ASSERT_GT(compare(whole, veil).over, kWidth * kHeight / 8);

        const Difference d = compare(whole, pieces);
        // Nearly all: one pixel in ten thousand may be off by more, where pieces meet at a
        // corner's rim.
        EXPECT_LE(d.over, kWidth * kHeight / 10000) << "largest difference " << d.largest;
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

} // namespace
} // namespace vantile
