#pragma once

// A QApplication for one test. Qt allows one at a time, and which platform it uses is fixed when
// it is made, so each test makes its own: offscreen for rendering, xcb for a test's X server.

#include <QApplication>

#include <memory>
#include <string>
#include <vector>

namespace vantile::test {

class TestApplication {
  public:
    // Renders into memory only; needs no display.
    static std::unique_ptr<TestApplication> offscreen();
    // Shows windows on the X server of the display (":N"), with Qt's coordinates scaled by the
    // factor as on a high-density screen.
    static std::unique_ptr<TestApplication> onDisplay(const std::string& display,
                                                      double scaleFactor = 1);

    ~TestApplication();

    // Makes the colour the active accent and grey the inactive one, so that a window that took
    // the wrong one shows it.
    static void setAccent(const QColor& accent);
    TestApplication(const TestApplication&) = delete;
    TestApplication& operator=(const TestApplication&) = delete;

  private:
    TestApplication(std::vector<std::string> arguments, double scaleFactor);

    // QApplication keeps references to the count and the strings for its whole life.
    std::vector<std::string> arguments_;
    std::vector<char*> argv_;
    int argc_ = 0;
    std::unique_ptr<QApplication> application_;
};

} // namespace vantile::test
