#include "ui/qt/app_glyph.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace vantile {

void paintAppGlyph(QPainter& painter, const QRectF& box, const QColor& colour) {
    const double side = std::min(box.width(), box.height());
    const double unit = side / 64;
    const QPointF origin(box.center().x() - side / 2, box.center().y() - side / 2);
    const auto at = [&](double x, double y, double w, double h) {
        return QRectF(origin.x() + x * unit, origin.y() + y * unit, w * unit, h * unit);
    };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(colour, 3 * unit));
    painter.drawRoundedRect(at(4, 12, 56, 42), 6 * unit, 6 * unit);
    painter.setPen(QPen(colour, 2.5 * unit));
    painter.drawRoundedRect(at(14, 22, 28, 22), 3 * unit, 3 * unit);
    painter.fillRect(at(14, 22, 28, 6), colour);
    painter.restore();
}

QIcon trayIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 230), 3));
    painter.setBrush(QColor(40, 40, 40, 230));
    painter.drawRoundedRect(QRectF(6, 14, 52, 40), 6, 6);
    painter.setBrush(QColor(240, 240, 240));
    painter.setPen(QPen(QColor(30, 30, 30), 2));
    painter.drawRoundedRect(QRectF(14, 22, 26, 22), 3, 3);
    painter.fillRect(QRectF(15, 23, 24, 5), QColor(30, 30, 30));
    return QIcon(pixmap);
}

} // namespace vantile
