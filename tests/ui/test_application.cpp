#include "ui/test_application.h"

#include <QByteArray>
#include <QPalette>
#include <QtGlobal>

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace vantile::test {

TestApplication::TestApplication(const std::string& display, double scaleFactor)
    // Given on the command line rather than through the environment, so that nothing else in the
    // test process (X servers, window managers) sees another platform or display. Offscreen, the
    // display's two arguments lie past the count.
    : arguments_{"vantile_ui_tests", "-platform", display.empty() ? "offscreen" : "xcb", "-display",
                 display},
      argc_(display.empty() ? 3 : 5) {
    std::ranges::transform(arguments_, std::back_inserter(argv_), [](auto& a) { return a.data(); });
    // Qt reads the factor only from the environment, once, while the application starts; every
    // test application sets it, and no X server or window manager the tests start sees it.
    qputenv("QT_SCALE_FACTOR", QByteArray::number(scaleFactor));
    application_ = std::make_unique<QApplication>(argc_, argv_.data());
    qunsetenv("QT_SCALE_FACTOR");
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Active, QPalette::Highlight, kAccent);
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

void expectPixel(const QImage& image, QPoint at, const QColor& expected) {
    const QRgb actual = image.pixelColor(at).rgba(), wanted = expected.rgba();
    const auto off = [&](int shift) {
        return std::abs(int((actual >> shift) & 255) - int((wanted >> shift) & 255)) > 4;
    };
    EXPECT_FALSE(off(0) || off(8) || off(16) || off(24))
        << at.x() << "," << at.y() << ": "
        << qPrintable(QColor::fromRgba(actual).name(QColor::HexArgb)) << ", not "
        << qPrintable(expected.name(QColor::HexArgb));
}

} // namespace vantile::test
