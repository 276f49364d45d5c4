#include "ui/test_application.h"

#include <QByteArray>
#include <QMouseEvent>
#include <QPalette>
#include <QtGlobal>

#include <algorithm>
#include <cstdlib>

namespace vantile::test {

TestApplication::TestApplication(const std::string& display, double scaleFactor)
    // Given on the command line rather than through the environment, so that nothing else in the
    // test process (X servers, window managers) sees another platform or display.
    : arguments_{"vantile_ui_tests", "-platform", display.empty() ? "offscreen" : "xcb"} {
    if (!display.empty()) {
        arguments_.insert(arguments_.end(), {"-display", display});
    }
    for (auto& argument : arguments_) {
        argv_.push_back(argument.data());
    }
    argv_.push_back(nullptr);
    argc_ = static_cast<int>(arguments_.size());
    // Qt reads the factor only from the environment, once, while the application starts; every
    // test application sets it, and no X server or window manager the tests start sees it.
    qputenv("QT_SCALE_FACTOR", QByteArray::number(scaleFactor));
    application_ = std::make_unique<QApplication>(argc_, argv_.data());
    qunsetenv("QT_SCALE_FACTOR");
}

void setAccent(const QColor& accent) {
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Active, QPalette::Highlight, accent);
    palette.setColor(QPalette::Inactive, QPalette::Highlight, Qt::gray);
    QApplication::setPalette(palette);
}

QImage rendered(QWidget& widget, double scale, QPoint offset) {
    QImage image(widget.size() * scale + QSize(offset.x(), offset.y()),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    widget.render(&image, offset / scale);
    return image;
}

void expectPixel(const QImage& image, QPoint at, const QColor& expected, int tolerance) {
    const QColor actual = image.pixelColor(at);
    EXPECT_LE(std::max({std::abs(actual.red() - expected.red()),
                        std::abs(actual.green() - expected.green()),
                        std::abs(actual.blue() - expected.blue()),
                        std::abs(actual.alpha() - expected.alpha())}),
              tolerance)
        << at.x() << "," << at.y() << ": " << qPrintable(actual.name(QColor::HexArgb)) << ", not "
        << qPrintable(expected.name(QColor::HexArgb));
}

void sendMouse(QWidget& widget, QEvent::Type type, QPointF at, Qt::MouseButton button,
               Qt::MouseButtons held) {
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

} // namespace vantile::test
