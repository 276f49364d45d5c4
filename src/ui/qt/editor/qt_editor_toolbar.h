#pragma once

#include <QRect>

#include <functional>

#include "core/editor/editor_toolbar.h"
#include "platform/platform.h"

namespace vantile {

class RegionManager;
class RegionEditorToolbar;

// The editor's toolbar on the desktop, above the editor windows.
class QtEditorToolbar : public EditorToolbar {
  public:
    QtEditorToolbar(const Screen& screen, RegionManager& regions, const Screens& screens,
                    const std::function<QRect(const Rect&)>& toQtGlobal, bool translucent,
                    EditorToolbarCallbacks callbacks);
    ~QtEditorToolbar() override;

    void orderFront() override;
    void orderOut() override;
    bool holdsKeys() const override;

    RegionEditorToolbar* widget() const { return widget_; }

    static constexpr const char* title = "Vantile Region Editor Toolbar";

  private:
    // Deleted later rather than with this object: its own buttons close the editor.
    RegionEditorToolbar* widget_;
};

} // namespace vantile
