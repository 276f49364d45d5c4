#pragma once

// The stacking of the program's own top-level windows. Each belongs to a layer, and a window of
// a higher layer always stands above every window of a lower one, whichever was raised last:
// the editor's toolbar above the editor windows that cover every screen, the snap preview above
// everything. Raising goes through here, never straight to the window.

#include <QWidget>

namespace vantile {

// The flags of a window that the window manager leaves alone and that stays above the others (the
// snap preview, the editor windows, their toolbar); each adds its own kind and input behaviour.
inline constexpr Qt::WindowFlags overlayWindowFlags =
    Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint;

enum class OwnWindowLayer { ordinary = 0, editor = 1, toolbar = 2, preview = 3 };

void setOwnWindowLayer(QWidget& window, OwnWindowLayer layer);

// Raises the window, then every visible window of a higher layer, lowest layer first.
void raiseOwnWindow(QWidget& window);

// Brings the program to the front: raises every visible window in layer order, then gives the
// keys to the active window when it is still visible and takes keys, else to the topmost such
// window. Windows that appear without taking the keys (the toolbar) or take no input (the
// preview) are never given them.
void activateOwnWindows();

} // namespace vantile
