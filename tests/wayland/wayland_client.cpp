// A plain client window on the Wayland display: titled from the command line, sized from it, and
// moved by the user as a title bar would be when pressed anywhere (so that a test can drag it).
// Prints "ready" once it is on screen, and "resized WIDTH HEIGHT MICROSECONDS" whenever its size
// changes, with the moment on the monotonic clock, so that a benchmark can tell when a move
// reached the client without asking KWin.

#include <QApplication>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <ctime>

namespace {

class Client : public QWidget {
  protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            windowHandle()->startSystemMove();
        }
    }
    void resizeEvent(QResizeEvent* event) override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("resized %d %d %lld\n", event->size().width(), event->size().height(),
                    now.tv_sec * 1000000LL + now.tv_nsec / 1000);
        std::fflush(stdout);
    }
    void showEvent(QShowEvent*) override {
        QTimer::singleShot(0, this, [] {
            std::puts("ready");
            std::fflush(stdout);
        });
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fputs("usage: vantile_wayland_client TITLE WIDTH HEIGHT\n", stderr);
        return 2;
    }
    Client window;
    window.setWindowTitle(QString::fromLocal8Bit(argv[1]));
    window.resize(QString(argv[2]).toInt(), QString(argv[3]).toInt());
    window.show();
    return app.exec();
}
