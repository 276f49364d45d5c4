#include "core/editor/region_editor_window.h"

namespace vantile {

RegionEditorWindow::RegionEditorWindow(const Screen& targetScreen, BSPNode tree, bool isPrimary,
                                       EventMonitors& monitors,
                                       std::function<bool()> toolbarHoldsKeys)
    : targetScreen_(targetScreen), workingTree_(std::move(tree)), monitors_(monitors),
      toolbarHoldsKeys_(std::move(toolbarHoldsKeys)),
      self_(std::make_shared<RegionEditorWindow*>(this)) {
    if (!isPrimary) {
        return;
    }
    std::weak_ptr<RegionEditorWindow*> weak = self_;
    escapeMonitor_ = monitors_.addLocalKeyDownMonitor([weak](const KeyEvent& event) {
        const auto self = weak.lock();
        return self && (*self)->handleKeyDown(event);
    });
}

RegionEditorWindow::~RegionEditorWindow() {
    removeEscapeMonitor();
}

void RegionEditorWindow::loadTree(BSPNode tree) {
    workingTree_ = std::move(tree);
    setViewTree(workingTree_);
}

void RegionEditorWindow::removeEscapeMonitor() {
    if (escapeMonitor_) {
        monitors_.removeMonitor(*escapeMonitor_);
        escapeMonitor_.reset();
    }
}

void RegionEditorWindow::viewInteraction() {
    if (const auto interaction = onEditorInteraction) {
        interaction();
    }
}

bool RegionEditorWindow::handleKeyDown(const KeyEvent& event) {
    if (toolbarHoldsKeys_ && toolbarHoldsKeys_()) {
        return false;
    }
    // Finishing or cancelling closes the editor and may destroy this window: nothing of it is
    // touched after the delegate has been called.
    if (event.keyCode == editor_keys::escape || event.keyCode == editor_keys::returnKey) {
        if (const auto delegate = editorDelegate.lock()) {
            if (event.keyCode == editor_keys::escape) {
                delegate->closeRegionEditor();
            } else {
                delegate->finishRegionEditing();
            }
        }
        return true;
    }
    // Control is this desktop's primary shortcut modifier; the others are not examined.
    if (!(event.modifierFlags & modifier::control) || event.keyCode != editor_keys::z) {
        return false;
    }
    if (event.modifierFlags & modifier::shift) {
        redo();
    } else {
        undo();
    }
    return true;
}

} // namespace vantile
