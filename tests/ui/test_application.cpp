#include "ui/test_application.h"

#include <QByteArray>
#include <QPalette>
#include <QtGlobal>

namespace vantile::test {

std::unique_ptr<TestApplication> TestApplication::offscreen() {
    return std::unique_ptr<TestApplication>(
        new TestApplication({"vantile_ui_tests", "-platform", "offscreen"}, 1));
}

std::unique_ptr<TestApplication> TestApplication::onDisplay(const std::string& display,
                                                            double scaleFactor) {
    // Given on the command line rather than through the environment, so that nothing else in the
    // test process (X servers, window managers) sees another platform or display.
    return std::unique_ptr<TestApplication>(new TestApplication(
        {"vantile_ui_tests", "-platform", "xcb", "-display", display}, scaleFactor));
}

TestApplication::TestApplication(std::vector<std::string> arguments, double scaleFactor)
    : arguments_(std::move(arguments)) {
    for (auto& argument : arguments_) {
        argv_.push_back(argument.data());
    }
    argv_.push_back(nullptr);
    argc_ = static_cast<int>(arguments_.size());
    // Qt reads the factor only from the environment, once, while the application starts.
    const QByteArray previous = qgetenv("QT_SCALE_FACTOR");
    const bool hadPrevious = qEnvironmentVariableIsSet("QT_SCALE_FACTOR");
    qputenv("QT_SCALE_FACTOR", QByteArray::number(scaleFactor));
    application_ = std::make_unique<QApplication>(argc_, argv_.data());
    if (hadPrevious) {
        qputenv("QT_SCALE_FACTOR", previous);
    } else {
        qunsetenv("QT_SCALE_FACTOR");
    }
}

TestApplication::~TestApplication() = default;

void TestApplication::setAccent(const QColor& accent) {
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Active, QPalette::Highlight, accent);
    palette.setColor(QPalette::Inactive, QPalette::Highlight, Qt::gray);
    QApplication::setPalette(palette);
}

} // namespace vantile::test
