#include "ui/qt/editor/qt_editor_toolbar.h"

#include "ui/qt/editor/region_editor_toolbar.h"

namespace vantile {

QtEditorToolbar::QtEditorToolbar(const Screen& screen, RegionManager& regions,
                                 const Screens& screens,
                                 const std::function<QRect(const Rect&)>& toQtGlobal,
                                 bool translucent, EditorToolbarCallbacks callbacks)
    : widget_(new RegionEditorToolbar(screen, regions, screens, toQtGlobal, translucent,
                                      std::move(callbacks.onDone), std::move(callbacks.onCancel),
                                      std::move(callbacks.onPresetSelected),
                                      std::move(callbacks.onSave))) {
    widget_->setWindowTitle(title);
}

QtEditorToolbar::~QtEditorToolbar() {
    widget_->hide();
    widget_->deleteLater();
}

void QtEditorToolbar::orderFront() {
    widget_->orderFront();
}

void QtEditorToolbar::orderOut() {
    widget_->hide();
}

bool QtEditorToolbar::holdsKeys() const {
    return widget_->holdsKeys();
}

} // namespace vantile
