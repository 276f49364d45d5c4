// The program's own windows besides the editor, and its glue to Qt. The onboarding window as it
// is drawn and used: its elements at their places, the picture in the accent colour, Return and
// Escape on its two buttons, the checks going on once the settings page opens. The status menu as
// Qt shows it: the tree's titles and order, opened by a left click on the tray icon, preset lists
// refilled with their check marks each time they open, choices reaching the program. The monitor
// for key presses to the program's own windows: each press seen once, in the key codes and flags of
// the shortcut tables, and a press a handler claims kept from the widget. The Shortcuts window.

#include <gtest/gtest.h>

#include <QAction>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QKeyEvent>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_input.h"
#include "base/file_io.h"
#include "fake/fake_app_environment.h"
#include "fake/fake_desktop.h"
#include "platform/key_chords.h"
#include "support/desktop.h"
#include "support/temp_dir.h"
#include "ui/qt/accessibility_onboarding_window.h"
#include "ui/qt/desktop_event_monitors.h"
#include "ui/qt/desktop_notifier.h"
#include "ui/qt/shortcuts_window.h"
#include "ui/qt/status_menu_presenter.h"
#include "ui/test_application.h"

namespace vantile::test {
namespace {

TEST(OnboardingWindow, ShowsItsElementsAndThePictureInTheAccentReturnHelpsEscapeQuits) {
    TestApplication app;
    FakeDesktop desktop;
    int settingsOpened = 0, quits = 0;
    AccessibilityOnboardingWindow window{desktop, [] { return false; }, [&] { ++settingsOpened; }};
    window.onQuit = [&] { ++quits; };
    QWidget& widget = *window.widget();
    EXPECT_EQ(widget.windowTitle(), "Vantile Window Manager");
    EXPECT_EQ(std::pair(widget.minimumSize(), widget.maximumSize()),
              std::pair(QSize(480, 320), QSize(480, 320)));
    EXPECT_FALSE(widget.windowFlags() & Qt::WindowCloseButtonHint);
    // Each element where it was laid out from the bottom-left corner (the settings button at
    // (150, 45, 180, 32)), with words from its text.
    const std::pair<QRect, const char*> elements[] = {
        {{150, 243, 180, 32}, "Open System Settings"},
        {{205, 282, 70, 28}, "Quit"},
        {{20, 95, 440, 30}, "Accessibility Permission Required"},
        {{40, 135, 400, 100}, "Vantile Window Manager needs"},
        {{40, 135, 400, 100}, "applications.\n\nClick the button below"}};
    for (const auto& [place, text] : elements) {
        const QWidget* child = widget.childAt(place.center());
        EXPECT_TRUE(child && child->geometry() == place &&
                    child->property("text").toString().contains(text))
            << text;
    }
    window.makeKeyAndOrderFront();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&widget));
    // The picture's box is (200, 10, 80, 80): its window's title bar filled solid in the accent,
    // the screen round it only outlined.
    const QImage image = widget.grab().toImage();
    const QRgb background = widget.palette().color(QPalette::Window).rgb();
    const QRgb accent = kAccent.rgb();
    const std::tuple<int, int, QRgb> pixels[] = {
        {235, 41, accent}, {240, 25, accent}, {240, 60, background}, {10, 10, background}};
    for (const auto& [x, y, colour] : pixels) {
        EXPECT_EQ(image.pixel(x, y), colour) << x << "," << y;
    }
    {
        // The user is in the settings the window sent them to: the picture keeps the accent.
        QWidget settings;
        settings.show();
        settings.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&settings));
        EXPECT_EQ(widget.grab().toImage().pixel(235, 41), accent)
            << "while another window is active";
    }
    widget.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&widget));
    QTest::keyClick(&widget, Qt::Key_Return);
    EXPECT_EQ(settingsOpened, 1);
    desktop.advance(0.6);
    EXPECT_TRUE(window.polling()) << "still checking after the page was opened";
    widget.close();
    EXPECT_TRUE(widget.isVisible()) << "the window manager cannot close it";
    // What the checks do once it quits is the shared onboarding logic's, tried in the unit tests.
    QTest::keyClick(&widget, Qt::Key_Escape);
    EXPECT_EQ(quits, 1);
    window.close();
    EXPECT_FALSE(widget.isVisible());
}

// The titles of the menu's items, "---" for a separator, "*" after a checked one.
std::string titles(const QMenu* menu) {
    QStringList out;
    for (const QAction* action : menu->actions()) {
        out << (action->isSeparator() ? "---" : action->text() + (action->isChecked() ? "*" : ""));
    }
    return out.join('|').toStdString();
}

QAction* find(const QMenu* menu, const char* title) {
    const auto actions = menu->actions();
    const auto found = std::ranges::find(actions, QString(title), &QAction::text);
    return found == actions.end() ? nullptr : *found;
}

TEST(StatusMenuPresenter, ShowsTheTreeOnALeftClickRefillsPresetListsAndCarriesOutChoices) {
    TestApplication app;
    FakeDesktop desktop;
    desktop.addScreen({0, 0, 1440, 900}, {0, 0, 1440, 875});
    const std::uint64_t window = desktop.addFocusedWindow({100, 100, 400, 300});
    TempDir config;
    RegionManager regions{desktop, desktop, RegionPersistence(config.path())};
    NoSnapPreview preview;
    AppDelegate delegate{fakeAppEnvironment(desktop, preview, regions)};
    delegate.applicationDidFinishLaunching();
    StatusMenuPresenter presenter(delegate, desktop);
    QMenu* menu = presenter.menu();
    EXPECT_EQ(titles(menu), "Snap Window|---|Screen 1|Edit Regions...|Shortcuts...|---|Quit");
    for (const auto reason : {QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Trigger}) {
        emit presenter.tray()->activated(reason);
        EXPECT_EQ(menu->isVisible(), reason == QSystemTrayIcon::Trigger);
    }
    menu->close();

    QMenu* screenMenu = find(menu, "Screen 1")->menu();
    ASSERT_NE(screenMenu, nullptr);
    EXPECT_TRUE(screenMenu->actions().isEmpty()) << "empty until opened";
    // Refilled, not appended, with the active preset checked each time.
    for (const char* shown : {"Halves|Thirds|Quarters|Coding (60/40)|---|Clear*",
                              "Halves|Thirds*|Quarters|Coding (60/40)|---|Clear"}) {
        emit screenMenu->aboutToShow();
        EXPECT_EQ(titles(screenMenu), shown);
        find(screenMenu, "Thirds")->trigger();
    }
    EXPECT_EQ(regions.regionsForScreen(desktop.screenList[0]).size(), 3u);

    find(find(menu, "Snap Window")->menu(), "Right Half")->trigger();
    EXPECT_EQ(desktop.windows[window].frame, (Rect{720, 25, 720, 875}));
    EXPECT_EQ(find(menu, "Edit Regions...")->shortcut(), QKeySequence("Ctrl+Alt+E"));
    find(menu, "Edit Regions...")->trigger();
    EXPECT_EQ(delegate.editorWindows().size(), 1u) << "the editor opens on the one screen";
}

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
    const auto connection = connectProgram(*server);
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
    // Num Lock left out; arrows carry the keypad and function flags.
    EXPECT_EQ(seen[0].modifierFlags,
              modifier::control | modifier::option | modifier::numericPad | modifier::function);
    EXPECT_EQ(widget.presses, 1) << "the claimed arrow never reached the widget; the A did";

    monitors.removeMonitor(*token);
    press(113, 0x04 | 0x08);
    EXPECT_EQ(seen.size(), 2u) << "a removed monitor hears nothing";
    EXPECT_EQ(widget.presses, 2);
}

// Every command a row with its key; the taken one marked; the free keys, the defaults and an edit
// each written to the file and in force at once.
TEST(ShortcutsWindow, ShowsRowsAndMarksAndWritesFreeKeysDefaultsAndEdits) {
    TestApplication app;
    FakeDesktop desktop;
    desktop.addScreen({0, 0, 1440, 900}, {0, 0, 1440, 875});
    const std::uint64_t window = desktop.addFocusedWindow({100, 100, 400, 300});
    desktop.shortcuts.taken = {*parseChord("Ctrl+Alt+Left")};
    TempDir config;
    const auto file = config.path() / "shortcuts.json";
    std::ofstream(file) << R"({"rightHalf": "Super+R", "nope": "X"})";
    RegionManager regions{desktop, desktop, RegionPersistence(config.path())};
    NoSnapPreview preview;
    AppEnvironment env = fakeAppEnvironment(desktop, preview, regions);
    env.desktopNotes = [] { return std::vector<std::string>{"The window manager tiles"}; };
    AppDelegate delegate{std::move(env)};
    delegate.applicationDidFinishLaunching();
    ShortcutsWindow shortcuts(delegate);
    const auto row = [&](const std::string& command) {
        const auto& rows = shortcuts.rows();
        const auto found = std::ranges::find(rows, command, &ShortcutsWindow::Row::command);
        return found->keys->keySequence().toString(QKeySequence::PortableText).toStdString() + "|" +
               found->mark->text().toStdString();
    };
    EXPECT_EQ(shortcuts.rows().size(), 31u);
    EXPECT_EQ(row("leftHalf"), "Ctrl+Alt+Left|Ctrl+Alt+Left is taken by another program");
    EXPECT_EQ(row("rightHalf"), "Meta+R|");
    EXPECT_EQ(row("topLeft"), "|");
    EXPECT_EQ(row("nextRegion"), "Ctrl+Alt+]|");
    EXPECT_TRUE(shortcuts.message()->text().contains("nope \"X\": no such command"));
    EXPECT_TRUE(shortcuts.message()->text().contains("The window manager tiles."));

    ASSERT_TRUE(shortcuts.freeKeysButton()->isEnabled());
    QTest::mouseClick(shortcuts.freeKeysButton(), Qt::LeftButton);
    EXPECT_EQ(row("leftHalf"), "Meta+Ctrl+Alt+Left|");
    desktop.pressKey({123, modifier::control | modifier::option | modifier::command}, true);
    EXPECT_EQ(desktop.windows[window].frame, (Rect{0, 25, 720, 875})) << "the free key works";

    QTest::mouseClick(shortcuts.restoreButton(), Qt::LeftButton);
    EXPECT_EQ(row("rightHalf"), "Ctrl+Alt+Right|") << "shown before it is saved";
    const auto topLeft =
        std::ranges::find(shortcuts.rows(), "topLeft", &ShortcutsWindow::Row::command);
    topLeft->keys->setKeySequence(QKeySequence("Ctrl+Alt+Home"));
    QTest::mouseClick(shortcuts.saveButton(), Qt::LeftButton);
    EXPECT_EQ(*readWholeFile(file), "{\n  \"nope\": \"X\",\n  \"topLeft\": \"Ctrl+Alt+Home\"\n}\n");
    EXPECT_EQ(row("leftHalf"), "Ctrl+Alt+Left|Ctrl+Alt+Left is taken by another program");
    desktop.pressKey({115, modifier::control | modifier::option | 0x800000}, true);
    EXPECT_EQ(desktop.windows[window].frame, (Rect{0, 25, 720, 437.5})) << "the edited key works";
}

// The desktop's notification service on a private session bus, played by this test: it receives
// the notice with its action as a button, and choosing it runs the action once.
class NotificationService : public QDBusVirtualObject {
  public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        received = message.arguments();
        bus.send(message.createReply(QVariant::fromValue(uint(7))));
        return true;
    }
    QList<QVariant> received;
};

TEST(DesktopNotifier, SendsTheNoticeWithItsActionAndRunsTheActionWhenChosen) {
    std::string address;
    pid_t pid = 0;
    if (FILE* daemon =
            ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r")) {
        char line[512] = {};
        address = std::fgets(line, sizeof line, daemon) ? line : "";
        pid = std::fgets(line, sizeof line, daemon) ? std::atoi(line) : 0;
        ::pclose(daemon);
    }
    ASSERT_FALSE(address.empty()) << "no dbus-daemon";
    address.pop_back();
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    {
        TestApplication app;
        QDBusConnection bus =
            QDBusConnection::connectToBus(QString::fromStdString(address), "service");
        NotificationService service;
        ASSERT_TRUE(bus.registerService("org.freedesktop.Notifications"));
        ASSERT_TRUE(bus.registerVirtualObject("/org/freedesktop/Notifications", &service));
        std::vector<std::string> fellBack;
        DesktopNotifier notifier([&](const Notice& notice) { fellBack.push_back(notice.title); });
        int chosen = 0;
        notifier.notify({"Some vantile shortcuts do not work",
                         "Another program holds Ctrl+Alt+Left.", "Use Ctrl+Alt+Super+Left",
                         [&] { ++chosen; }});
        ASSERT_TRUE(QTest::qWaitFor([&] { return !service.received.isEmpty(); }, 5000));
        EXPECT_EQ(service.received.value(3).toString(), "Some vantile shortcuts do not work");
        EXPECT_EQ(service.received.value(5).toStringList(),
                  (QStringList{"apply", "Use Ctrl+Alt+Super+Left"}));
        for (const uint id : {8u, 7u, 7u}) {
            bus.send(QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                "org.freedesktop.Notifications", "ActionInvoked")
                     << id << QString("apply"));
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return chosen > 0; }, 5000));
        QTest::qWait(100); // time for a second run, which must not come
        EXPECT_EQ(chosen, 1) << "another notice's choice, or the same one twice";
        bus.unregisterService("org.freedesktop.Notifications");
        notifier.notify({"No service", "", "", {}});
        EXPECT_TRUE(QTest::qWaitFor([&] { return !fellBack.empty(); }, 5000));
        EXPECT_EQ(fellBack, std::vector<std::string>{"No service"}) << "the tray, not the service";
        QDBusConnection::disconnectFromBus("service");
    }
    ::kill(pid, SIGTERM);
}

} // namespace
} // namespace vantile::test
