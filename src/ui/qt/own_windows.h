#pragma once

// The stacking of the program's own top-level windows. Each belongs to a layer, and a window of
// a higher layer always stands above every window of a lower one, whichever was raised last:
// the editor's toolbar above the editor windows that cover every screen, the snap preview above
// everything. Raising goes through here, never straight to the window.

#include <QWidget>
#include <functional>

namespace vantile {

// The flags of a window that the window manager leaves alone and that stays above the others (the
// snap preview, the editor windows, their toolbar); each adds its own kind and input behaviour.
inline constexpr Qt::WindowFlags overlayWindowFlags =
    Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint;

enum class OwnWindowLayer { ordinary = 0, editor = 1, toolbar = 2, preview = 3 };

void setOwnWindowLayer(QWidget& window, OwnWindowLayer layer);

// Raises the window, then every visible window of a higher layer, lowest layer first.
void raiseOwnWindow(QWidget& window);

// Puts the window at the rectangle (Qt's global coordinates). Where the desktop places the
// program's windows itself (Wayland), the placer set for it is told too, by a title no other
// window of ours has.
void placeOwnWindow(QWidget& window, const QRect& geometry);
void setOwnWindowPlacer(std::function<void(QWidget& window, const QRect& geometry)> placer);
// Whether the window takes the keys when it appears. Of the editor windows only the primary one
// does; the others hand them back to it.
bool takesKeys(const QWidget& window);
void setLeavesKeysToOthers(QWidget& window);

// Where the desktop alone may hand the keys to a window (Wayland), the activator set for it asks.
void setOwnWindowActivator(std::function<void(QWidget& window)> activator);

// Brings the program to the front: raises every visible window in layer order, then gives the
// keys to the active window when it is still visible and takes keys, else to the topmost such
// window. Windows that appear without taking the keys (the toolbar) or take no input (the
// preview) are never given them.
void activateOwnWindows();

} // namespace vantile
