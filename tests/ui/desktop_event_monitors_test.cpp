// The monitor for key presses to the program's own windows: it sees each press once, in the key
// codes and flags of the shortcut tables, and a handler that claims a press keeps it from the
// widget.

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_input.h"
#include "support/desktop.h"
#include "test_application.h"
#include "ui/qt/desktop_event_monitors.h"

namespace vantile::test {
namespace {

class KeyRecordingWidget : public QWidget {
  public:
    int presses = 0;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        ++presses;
        event->accept();
    }
};

// An X key press as Qt's xcb platform delivers it: the X key code and the X modifier state.
void press(QWindow* window, quint32 xKeycode, quint32 xState) {
    QKeyEvent event(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, xKeycode, 0, xState);
    QCoreApplication::sendEvent(window, &event);
}

constexpr quint32 xLeft = 113, xA = 38;
constexpr quint32 xControl = 0x04, xAlt = 0x08, xNumLock = 0x10;

TEST(DesktopEventMonitors, OwnWindowsKeysAreTranslatedAndSwallowedOnlyWhenClaimed) {
    auto server = XServer::start(800, 600);
    auto app = TestApplication::onDisplay(server->display());
    auto connection = X11Connection::open(server->display().c_str());
    ASSERT_NE(connection, nullptr);
    X11GlobalInput global(*connection);
    DesktopEventMonitors monitors(global);

    std::vector<KeyEvent> seen;
    const auto token = monitors.addLocalKeyDownMonitor([&](const KeyEvent& event) {
        seen.push_back(event);
        return event.keyCode == 123; // claims the left arrow only
    });
    ASSERT_TRUE(token);

    KeyRecordingWidget widget;
    widget.show();
    ASSERT_NE(widget.windowHandle(), nullptr);
    press(widget.windowHandle(), xLeft, xControl | xAlt | xNumLock);
    press(widget.windowHandle(), xA, xControl | xAlt);

    ASSERT_EQ(seen.size(), 2u) << "each press once";
    EXPECT_EQ(seen[0].keyCode, 123);
    EXPECT_EQ(seen[0].modifierFlags,
              modifier::control | modifier::option | modifier::numericPad | modifier::function)
        << "Num Lock left out; arrows carry the keypad and function flags";
    EXPECT_EQ(widget.presses, 1) << "the claimed arrow never reached the widget; the A did";

    monitors.removeMonitor(*token);
    press(widget.windowHandle(), xLeft, xControl | xAlt);
    EXPECT_EQ(seen.size(), 2u) << "a removed monitor hears nothing";
    EXPECT_EQ(widget.presses, 2);
}

} // namespace
} // namespace vantile::test
