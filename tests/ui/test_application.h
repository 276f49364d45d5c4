#pragma once

// What the widget tests share: a QApplication of their own, drawing a widget into an image,
// and comparing a pixel. Qt allows one application at a time, and which
// platform it uses is fixed when it is made, so each test makes its own: offscreen for rendering,
// xcb for a test's X server.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace vantile::test {

// The accent every test application gives the desktop as the active one.
inline const QColor kAccent(40, 110, 220);

class TestApplication {
  public:
    // Renders into memory only without a display. With one (":N"), shows windows on its X server
    // with Qt's coordinates scaled by the factor, as on a high-density screen. The inactive accent
    // is grey, so that a window that took the wrong one shows it.
    explicit TestApplication(const std::string& display = {}, double scaleFactor = 1);
    // QApplication keeps pointers into the arguments for its whole life: they must not move.
    TestApplication(TestApplication&&) = delete;

  private:
    std::vector<std::string> arguments_;
    std::vector<char*> argv_;
    int argc_;
    std::unique_ptr<QApplication> application_;
};

// The widget drawn over a transparent image, with `scale` device pixels to a point, `offset`
// device pixels from the image's corner.
QImage rendered(QWidget& widget, double scale = 1, QPoint offset = {});

// Expects the pixel, unpremultiplied, to hold the colour within 4 in each channel, as
// premultiplied storage loses some precision in faint pixels.
void expectPixel(const QImage& image, QPoint at, const QColor& expected);

} // namespace vantile::test
