#include "ui/qt/editor/region_editor_view.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include "core/editor/region_editor_paint.h"
#include "ui/qt/editor/region_editor_painter.h"
#include "ui/qt/own_windows.h"

namespace vantile {

RegionEditorView::RegionEditorView(BSPNode tree, const Rect& screenVisibleFrame,
                                   std::optional<Rect> screenFrame, QWidget* parent)
    : QWidget(parent), screenFrame_(screenFrame),
      model_(std::move(tree), screenVisibleFrame, [this] { return placement(); }) {
    // Hover feedback needs moves without a button held.
    setMouseTracking(true);
    model_.onTreeChanged = [this](const BSPNode& tree) {
        if (onTreeChanged) {
            onTreeChanged(tree);
        }
    };
    model_.onInteraction = [this] {
        if (onInteraction) {
            onInteraction();
        }
    };
    model_.onCursor = [this](EditorCursor cursor) { applyCursor(cursor); };
    model_.onNeedsDisplay = [this] { update(); };
}

void RegionEditorView::setTree(BSPNode tree) {
    model_.setTree(std::move(tree));
}

void RegionEditorView::rebuildLayout() {
    model_.rebuildLayout();
}

void RegionEditorView::undo() {
    model_.undo();
}

void RegionEditorView::redo() {
    model_.redo();
}

EditorPlacement RegionEditorView::placement() const {
    EditorPlacement placement;
    placement.viewBounds = {0, 0, static_cast<double>(width()), static_cast<double>(height())};
    // A widget always belongs to a window in Qt; what the host may not know is the screen.
    placement.inWindow = true;
    if (screenFrame_) {
        placement.screenOrigin = screenFrame_->origin();
    }
    // The screen's frames are the desktop's pixels; the view lays out and paints in Qt's points.
    placement.pixelsPerPoint = devicePixelRatioF();
    return placement;
}

Point RegionEditorView::viewPoint(const QPointF& widgetPoint) const {
    return {widgetPoint.x(), height() - widgetPoint.y()};
}

void RegionEditorView::applyCursor(EditorCursor cursor) {
    switch (cursor) {
    case EditorCursor::resizeLeftRight:
        setCursor(Qt::SizeHorCursor);
        break;
    case EditorCursor::resizeUpDown:
        setCursor(Qt::SizeVerCursor);
        break;
    case EditorCursor::arrow:
        setCursor(Qt::ArrowCursor);
        break;
    }
}

void RegionEditorView::paintEvent(QPaintEvent* event) {
    model_.rebuildLayout();
    const EditorPaintStyle style = editorPaintStyle(*this);
    const QRect dirty = event->rect();
    // The dirty rect in view coordinates, flipped like any other.
    const Rect dirtyRect{static_cast<double>(dirty.x()),
                         static_cast<double>(height() - dirty.y() - dirty.height()),
                         static_cast<double>(dirty.width()), static_cast<double>(dirty.height())};
    const EditorPaintInput input{model_.layout(), model_.hoveredBoundaryIndex(),
                                 model_.screenVisibleFrame(), dirtyRect};
    const std::vector<PaintOperation> operations = editorPaintList(input, editorTextMeasure(style));
    QPainter painter(this);
    paintEditorOperations(painter, operations, style, height());
}

void RegionEditorView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The pointer may arrive before the next paint; its hit tests need the new size already.
    model_.rebuildLayout();
}

void RegionEditorView::mouseMoveEvent(QMouseEvent* event) {
    const Point point = viewPoint(event->position());
    if (event->buttons().testFlag(Qt::LeftButton) && model_.draggingBoundary()) {
        model_.mouseDragged(point);
    } else {
        model_.mouseMoved(point);
    }
}

void RegionEditorView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    model_.mouseDown(viewPoint(event->position()));
}

void RegionEditorView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    model_.mouseUp(viewPoint(event->position()));
}

void RegionEditorView::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    model_.mouseExited();
}

QtRegionEditorWindow::QtRegionEditorWindow(const Screen& targetScreen, BSPNode tree, bool isPrimary,
                                           EventMonitors& monitors,
                                           std::function<bool()> toolbarHoldsKeys,
                                           const QRect& geometry, bool translucent)
    : RegionEditorWindow(targetScreen, tree, isPrimary, monitors, std::move(toolbarHoldsKeys)),
      view_(new RegionEditorView(tree, targetScreen.visibleFrame, targetScreen.frame)),
      self_(std::make_shared<QtRegionEditorWindow*>(this)) {
    // Left alone by the window manager, so that it covers panels too and stays above the
    // windows it stacks; keys reach it because it takes the input focus itself.
    view_->setWindowFlags(Qt::Window | overlayWindowFlags);
    view_->setWindowTitle(title);
    view_->setAttribute(Qt::WA_TranslucentBackground, translucent);
    view_->setFocusPolicy(Qt::StrongFocus);
    setOwnWindowLayer(*view_, OwnWindowLayer::editor);
    if (!isPrimary) {
        setLeavesKeysToOthers(*view_);
    }
    placeOwnWindow(*view_, geometry);
    std::weak_ptr<QtRegionEditorWindow*> weak = self_;
    view_->onTreeChanged = [weak](const BSPNode& changed) {
        if (const auto self = weak.lock()) {
            (*self)->viewTreeChanged(changed);
        }
    };
    view_->onInteraction = [weak] {
        if (const auto self = weak.lock()) {
            (*self)->viewInteraction();
        }
    };
}

QtRegionEditorWindow::~QtRegionEditorWindow() {
    view_->hide();
    view_->deleteLater();
}

void QtRegionEditorWindow::makeKeyAndOrderFront() {
    view_->show();
    raiseOwnWindow(*view_);
    view_->activateWindow();
}

void QtRegionEditorWindow::orderOut() {
    view_->hide();
}

void QtRegionEditorWindow::setViewTree(const BSPNode& tree) {
    view_->setTree(tree);
    view_->rebuildLayout();
    view_->update();
}

void QtRegionEditorWindow::undo() {
    view_->undo();
}

void QtRegionEditorWindow::redo() {
    view_->redo();
}

} // namespace vantile
