// The monitor for key presses to the program's own windows: it sees each press once, in the key
// codes and flags of the shortcut tables, and a handler that claims a press keeps it from the
// widget.

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include "app/ui/desktop_event_monitors.h"
#include "support/desktop.h"
#include "ui/test_application.h"
#include "window/x11/x11_connection.h"
#include "window/x11/x11_input_global.h"

namespace vantile::test {
namespace {

struct KeyRecordingWidget : QWidget {
    int presses = 0;
    void keyPressEvent(QKeyEvent* event) override {
        ++presses;
        event->accept();
    }
};

TEST(DesktopEventMonitors, OwnWindowsKeysAreTranslatedAndSwallowedOnlyWhenClaimed) {
    auto server = XServer::start(800, 600);
    TestApplication app(server->display());
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
    // An X key press as Qt's xcb platform delivers it: the X key code (113 the left arrow, 38 the
    // A) and the X modifier state (4 Control, 8 Alt, 16 Num Lock).
    const auto press = [&](quint32 xKeycode, quint32 xState) {
        QKeyEvent event(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, xKeycode, 0, xState);
        QCoreApplication::sendEvent(widget.windowHandle(), &event);
    };
    press(113, 0x04 | 0x08 | 0x10);
    press(38, 0x04 | 0x08);
    ASSERT_EQ(seen.size(), 2u) << "each press once";
    EXPECT_EQ(seen[0].keyCode, 123);
    EXPECT_EQ(seen[0].modifierFlags,
              modifier::control | modifier::option | modifier::numericPad | modifier::function)
        << "Num Lock left out; arrows carry the keypad and function flags";
    EXPECT_EQ(widget.presses, 1) << "the claimed arrow never reached the widget; the A did";

    monitors.removeMonitor(*token);
    press(113, 0x04 | 0x08);
    EXPECT_EQ(seen.size(), 2u) << "a removed monitor hears nothing";
    EXPECT_EQ(widget.presses, 2);
}

} // namespace
} // namespace vantile::test
