#pragma once

// The program's picture: a window standing on a larger screen rectangle. The tray icon, the
// onboarding window and the installed icon all show it.

#include <QColor>
#include <QIcon>
#include <QRectF>

class QPainter;

namespace vantile {

// The picture in one colour, as an outline glyph filling the box (kept square, centred).
void paintAppGlyph(QPainter& painter, const QRectF& box, const QColor& colour);

// The tray icon: dark shapes with a light edge, so that it reads on light and dark panels alike.
QIcon trayIcon();

} // namespace vantile
