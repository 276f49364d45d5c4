// The region editor's widgets offscreen. The view: the pixels it paints, at one and two device
// pixels a point and moved by whole pixels, as the pointer comes and goes; two shapes the painter
// once got wrong. A screen's editor window: clicks in Qt's top-left, y-down positions reaching the
// editor flipped, the edits kept as its working tree, loaded trees shown, and going away in the
// middle of its own event. The toolbar: the callbacks its buttons reach and how it looks with and
// without a compositor. Choosing and naming presets with the keys, dragging boundaries, the preset
// the toolbar's menu shows first and where it sits on a real desktop are tried with the whole
// editor end to end.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/editor/region_editor_layout.h"
#include "core/editor/region_editor_paint.h"
#include "core/regions/builtin_presets.h"
#include "fake/fake_desktop.h"
#include "support/temp_dir.h"
#include "ui/qt/editor/region_editor_painter.h"
#include "ui/qt/editor/region_editor_painter_shapes.h"
#include "ui/qt/editor/region_editor_toolbar.h"
#include "ui/qt/editor/region_editor_view.h"
#include "ui/test_application.h"

namespace vantile::test {
namespace {

BSPNode leaf() {
    return BSPNode::leaf(Region{Uuid::random(), {}, std::nullopt});
}

// `top` at `alpha` composed source-over onto `below`, as a painter does.
QColor over(const QColor& below, QColor top, double alpha) {
    QImage pixel(1, 1, QImage::Format_ARGB32);
    pixel.fill(below);
    top.setAlphaF(float(alpha));
    QPainter(&pixel).fillRect(0, 0, 1, 1, top);
    return pixel.pixelColor(0, 0);
}

TEST(RegionEditorViewTest, PaintsVeilRegionsButtonsBarAndDiscWhereTheyBelong) {
    TestApplication app;
    // A 400 × 300 screen with a 20-point panel at its top: in Qt's coordinates the editor frame
    // starts at y 20.
    RegionEditorView view{leaf(), Rect{0, 0, 400, 280}, Rect{0, 0, 400, 300}};
    int treeChanges = 0;
    view.onTreeChanged = [&](const BSPNode&) { ++treeChanges; };
    view.resize(400, 300);
    view.show();
    const QColor veil = over(Qt::transparent, Qt::black, 0.4);
    const QColor body = over(veil, Qt::white, 0.05), bar = over(veil, kAccent, 0.8);
    const QColor outline = over(body, kAccent, 0.6), button = over(body, Qt::white, 0.15);
    const QColor glyph = over(button, Qt::white, 0.9), disc = over(bar, Qt::black, 0.7);
    // States: 0 a leaf, 1 two halves, 2 the bar between them hovered, 3 left. Above the visible
    // frame only the veil, however transparent the surface was. A region's body starts 2 points in;
    // its 2-point outline straddles that edge. The columns button lies at Qt (204, 174)–(232, 202),
    // a 16 × 14 symbol stroked 1.5 wide at its middle. The bar, 4 points wide around x 200, lies
    // between the two regions' outlines; the merge button's disc covers its middle, above the
    // cross's ends. Hovered, the bar is 6 pixels of opaque accent.
    const std::tuple<int, int, int, QColor> pixels[] = {
        {0, 100, 5, veil},      {0, 150, 60, body},     {0, 207, 176, button}, {0, 210, 188, glyph},
        {0, 2, 150, outline},   {1, 300, 19, veil},     {1, 199, 250, bar},    {1, 200, 250, bar},
        {1, 197, 250, outline}, {1, 202, 250, outline}, {1, 199, 152, disc},   {2, 196, 250, body},
        {2, 197, 250, kAccent}, {2, 202, 250, kAccent}, {2, 203, 250, body},   {3, 199, 250, bar},
        {3, 202, 250, outline}};
    for (int state = 0; state < 4; ++state) {
        if (state == 1) {
            view.setTree(BSPNode::split(SplitDirection::vertical, 0.5, leaf(), leaf()));
            // Loading a tree is no edit.
            EXPECT_EQ(std::pair(treeChanges, view.model().undoDepth()), std::pair(0, 0ul));
        } else if (state == 2) {
            QMouseEvent move(QEvent::MouseMove, {205, 250}, {205, 250}, Qt::NoButton, {}, {});
            QCoreApplication::sendEvent(&view, &move);
        } else if (state == 3) {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(&view, &leave);
        }
        EXPECT_EQ(view.cursor().shape(), state == 2 ? Qt::SizeHorCursor : Qt::ArrowCursor);
        // Twice as many device pixels draw no shape from the images kept for the view's own; moved
        // by whole pixels, every shape falls where it did inside its pixel and is drawn from them.
        for (const auto& [scale, offset] :
             {std::pair(1, QPoint()), std::pair(2, QPoint()), std::pair(1, QPoint(7, 3))}) {
            const QImage image = rendered(view, scale, offset);
            for (const auto& [when, x, y, colour] : pixels) {
                if (when == state) {
                    SCOPED_TRACE(testing::Message()
                                 << state << " x" << scale << " +" << offset.x());
                    expectPixel(image, QPoint(x, y) * scale + offset, colour);
                }
            }
        }
    }

    // A region a tenth of the width: its size pill reaches into its neighbour, whose body must
    // then be composed over the pill, not written over it.
    view.setTree(BSPNode::split(SplitDirection::vertical, 0.1, leaf(), leaf()));
    const std::vector<PaintOperation> list =
        editorPaintList({view.model().layout(), std::nullopt, {0, 0, 400, 280}, {0, 0, 400, 300}},
                        editorTextMeasure(editorPaintStyle(view)));
    const auto pill = std::find_if(list.begin(), list.end(), [](const PaintOperation& op) {
        const auto* fill = std::get_if<paint::FillRoundedRect>(&op);
        return fill && fill->color == PaintColor{ColorBase::black, 0.6};
    });
    ASSERT_NE(pill, list.end());
    // A pixel on the pill, in its padding right of the text and inside the neighbour's body.
    const Rect pillRect = std::get<paint::FillRoundedRect>(*pill).rect;
    const int x = int(pillRect.maxX()) - 4;
    ASSERT_GE(x, 46) << "the pill ends inside the narrow region";
    expectPixel(rendered(view), {x, int(300 - pillRect.midY())},
                over(over(veil, Qt::black, 0.6), Qt::white, 0.05));
}

// Far off the surface (a layout with absurd numbers) a rect is cut to what can be seen: drawing it
// ends at once instead of walking bands without end.
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

TEST(QtRegionEditorWindow, EditsBecomeTheWorkingTreeLoadedTreesShowGoingAwayInAPressIsSafe) {
    TestApplication app;
    FakeDesktop desktop;
    const Screen screen = desktop.addScreen({0, 0, 1440, 900}, {0, 0, 1440, 875});
    auto window = std::make_unique<QtRegionEditorWindow>(
        screen, builtInTree(builtInPresets()[0]), true, desktop, [] { return false; },
        QRect(0, 0, 1440, 900), false);
    window->makeKeyAndOrderFront();
    RegionEditorView& view = *window->view();
    // A click at a point given from the view's bottom-left corner.
    const auto click = [&](double x, double y, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(&view, button, {}, QPoint(int(x), int(view.height() - y)));
    };
    int interactions = 0;
    window->onEditorInteraction = [&] { ++interactions; };
    // Halves on (0, 25, 1440, 875): the left half's "two columns" button, right of its centre.
    // Where an unflipped position would land there is nothing. Only the left button presses.
    const Rect left = view.model().regionRects().at(0).rect;
    // The presses, then the interactions and the regions after each.
    const std::tuple<double, Qt::MouseButton, std::pair<int, std::size_t>> clicks[] = {
        {-28, Qt::RightButton, {0, 2}},
        {28, Qt::LeftButton, {1, 2}},
        {-28, Qt::LeftButton, {2, 3}}};
    for (const auto& [dy, button, after] : clicks) {
        click(left.midX() + 18, left.midY() + dy, button);
        EXPECT_EQ(std::pair(interactions, window->workingTree().allRegions().size()), after) << dy;
    }
    EXPECT_EQ(window->workingTree(), view.tree());

    window->loadTree(builtInTree(builtInPresets()[2]));
    EXPECT_EQ(view.tree(), window->workingTree());
    EXPECT_EQ(view.model().regionRects().size(), 4u) << "laid out at once";

    const std::size_t monitors = desktop.installedMonitors();
    window->onEditorInteraction = [&] { window.reset(); };
    click(100, 100); // the window is destroyed inside the view's press; ASan reports misuse
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(desktop.installedMonitors(), monitors - 1) << "its key monitor went with it";
    // The view goes with the next turn of the event loop, which must come before the application
    // does.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(RegionEditorToolbar, LooksDarkRoundedAndAccentedButtonsReportTheSaveRowComesAndGoes) {
    TestApplication app;
    FakeDesktop desktop;
    TempDir config;
    RegionManager regions{desktop, desktop, RegionPersistence(config.path())};
    const Screen screen = desktop.addScreen({0, 0, 1440, 900}, {0, 0, 1440, 875});
    // Screen space flipped about the 900-pixel primary screen, as on a desktop without scaling.
    const auto toQtGlobal = [](const Rect& r) {
        return QRect(int(r.x), int(900 - r.maxY()), int(r.width), int(r.height));
    };
    // Steps, split at "|": a button's title clicks it, "=" sets the name field's text, "!fail"
    // and "!work" make the disk fail and work again. An empty name is saved as "Untitled"; a
    // save that could not be written says so and keeps the row for another try; the toolbar
    // never closes itself. Then the calls, whether the save row shows, its label and its field;
    // each toolbar is first looked at with or without a compositor.
    const std::tuple<bool, const char*, const char*, bool, const char*, const char*> scripts[] = {
        {true, "Apply|Cancel", "done|cancel|", false, "Name:", "My Layout"},
        {false, "New Preset|=|Save|New Preset|=   |Save", "save Untitled|save    |", false,
         "Name:", "   "},
        {true, "!fail|New Preset|Save", "save My Layout|", true, "Failed:", "My Layout"},
        {false, "!fail|New Preset|Save|!work|Save", "save My Layout|save My Layout|", false,
         "Name:", "My Layout"},
        {true, "New Preset|=Half typed|Back", "", false, "Name:", "Half typed"}};
    for (const auto& [translucent, steps, expectedCalls, saveRowShown, label, field] : scripts) {
        SCOPED_TRACE(steps);
        std::string calls; // each followed by "|"
        bool diskWorks = true;
        RegionEditorToolbar toolbar(
            screen, regions, desktop, toQtGlobal, translucent, [&] { calls += "done|"; },
            [&] { calls += "cancel|"; },
            [&](const RegionPreset& preset) { calls += "preset " + preset.name + "|"; },
            [&](const std::string& name) {
                calls += "save " + name + "|";
                return diskWorks && regions.saveCustomPreset(name);
            });
        toolbar.orderFront();
        const QImage image = toolbar.grab().toImage();
        // Between "New Preset" and the separator. Without a compositor the corners are cut off.
        expectPixel(image, {355, 24}, translucent ? QColor(30, 30, 32, 217) : QColor(38, 38, 40));
        for (const QPoint corner : {QPoint(0, 0), QPoint(479, 47)}) {
            EXPECT_FALSE(translucent ? image.pixelColor(corner).alpha() > 0
                                     : toolbar.mask().contains(corner));
        }
        EXPECT_EQ(toolbar.mask().contains(QPoint(10, 0)), !translucent);
        // The rows were laid out from the panel's bottom: the label is 14 above it.
        EXPECT_EQ(toolbar.nameLabel()->geometry(), QRect(12, 16, 40, 18));
        for (const char* title : {"Apply", "Cancel"}) {
            const QImage box = image.copy(toolbar.button(title)->geometry())
                                   .convertToFormat(QImage::Format_ARGB32);
            const auto* pixels = reinterpret_cast<const QRgb*>(box.constBits());
            const auto end = pixels + box.width() * box.height();
            EXPECT_EQ(std::find(pixels, end, kAccent.rgb()) != end, title == std::string("Apply"));
        }
        for (const QString& step : QString(steps).split('|', Qt::SkipEmptyParts)) {
            if (step.startsWith('=')) {
                toolbar.nameField()->setText(step.mid(1));
            } else if (step.startsWith('!')) {
                diskWorks = step == "!work";
            } else {
                QPushButton* button = toolbar.button(step);
                ASSERT_TRUE(button && button->isVisible()) << step.toStdString();
                QTest::mouseClick(button, Qt::LeftButton);
            }
        }
        EXPECT_EQ(calls, expectedCalls);
        EXPECT_EQ(std::pair(toolbar.isSaveRowShown(), toolbar.presetMenu()->isVisible()),
                  std::pair(saveRowShown, !saveRowShown));
        EXPECT_EQ(toolbar.nameLabel()->text(), label);
        EXPECT_EQ(toolbar.nameField()->text(), field);
        EXPECT_TRUE(toolbar.isVisible());
    }
}

} // namespace
} // namespace vantile::test
