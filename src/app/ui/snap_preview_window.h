#pragma once

// The drag-to-snap preview on the desktop: a frameless, always-on-top window that the window
// manager leaves alone, that never takes focus and that clicks pass through.

#include <QRect>

#include <functional>
#include <memory>

#include "input/snap_manager.h"

class QWidget;

namespace vantile {

class X11Connection;
class SnapPreviewWidget;

class SnapPreviewWindow : public SnapPreview {
  public:
    // Turns a screen-space rect into X root pixels (Qt scales them itself on high-density screens).
    using ToRoot = std::function<QRect(const Rect&)>;
    // Whether a compositing manager runs now.
    using CompositingCheck = std::function<bool()>;

    // Needs a QApplication, for as long as it lives. Both functions are called on every show.
    SnapPreviewWindow(ToRoot toRoot, CompositingCheck compositing);
    ~SnapPreviewWindow() override;
    SnapPreviewWindow(const SnapPreviewWindow&) = delete;
    SnapPreviewWindow& operator=(const SnapPreviewWindow&) = delete;

    void show(const Rect& screenRect) override;
    void hide() override;

    // The window as it is now; null before the first show. Replaced when a compositor starts or
    // stops between two shows.
    QWidget* widget() const;

  private:
    ToRoot toRoot_;
    CompositingCheck compositing_;
    std::unique_ptr<SnapPreviewWidget> widget_;
};

// Screen space to root pixels through the primary monitor of the connection's X server, read
// anew on each call since monitors come and go. The connection must outlive the function.
SnapPreviewWindow::ToRoot x11ScreenSpaceToRoot(X11Connection& connection);

// Screen space to Qt's global coordinates, for placing the program's own windows; read anew on
// each call like the function above.
std::function<QRect(const Rect&)> x11ScreenSpaceToQtGlobal(X11Connection& connection);

// Whether the selection _NET_WM_CM_S<n> of the connection's screen has an owner, which is how a
// compositing manager announces itself. The connection must outlive the function.
SnapPreviewWindow::CompositingCheck x11CompositorRunning(X11Connection& connection);

} // namespace vantile
