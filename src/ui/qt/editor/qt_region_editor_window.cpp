#include "ui/qt/editor/qt_region_editor_window.h"

#include "ui/qt/editor/region_editor_view.h"
#include "ui/qt/own_windows.h"

namespace vantile {

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
    view_->setGeometry(geometry);
    view_->setFocusPolicy(Qt::StrongFocus);
    setOwnWindowLayer(*view_, OwnWindowLayer::editor);
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
