#include "ui/qt/qt_clock.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <cmath>

namespace vantile {

void QtClock::sleepMicroseconds(std::uint32_t micros) {
    ::usleep(micros);
}

void QtClock::runAfter(double seconds, std::function<void()> task) {
    const int ms = static_cast<int>(std::lround(seconds * 1000));
    QTimer::singleShot(ms, QCoreApplication::instance(), std::move(task));
}

} // namespace vantile
