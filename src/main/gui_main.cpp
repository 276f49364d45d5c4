#include "main/gui_main.h"

#include <unistd.h>

#include <QApplication>
#include <QFileSystemWatcher>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "app/app_delegate.h"
#include "backends/kwin/kwin_bridge.h"
#include "ipc/command_line.h"
#include "ipc/instance_client.h"
#include "ipc/instance_server.h"
#include "main/desktop_session.h"
#include "ui/qt/accessibility_onboarding_window.h"
#include "ui/qt/desktop_notifier.h"
#include "ui/qt/editor/region_editor_toolbar.h"
#include "ui/qt/editor/region_editor_view.h"
#include "ui/qt/help_page.h"
#include "ui/qt/instance_service.h"
#include "ui/qt/own_windows.h"
#include "ui/qt/qt_clock.h"
#include "ui/qt/quit_on_signal.h"
#include "ui/qt/shortcuts_window.h"
#include "ui/qt/snap_preview_window.h"
#include "ui/qt/status_menu_presenter.h"

namespace vantile {

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "vantile: %s\n", message.c_str());
    return 1;
}

// Another process became the instance a moment before us: hand it our URL instead.
int forwardToOtherInstance(const RuntimePaths& paths, const CommandLine& command) {
    const std::string url = command.url.value_or("vantile://show");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    std::string error;
    for (;;) {
        switch (sendToInstance(paths.socket, {InstanceMessage::Kind::url, url},
                               std::chrono::seconds(5), &error)) {
        case SendResult::delivered:
            return 0;
        case SendResult::tooLong:
            return fail("the URL is too long to send (" + error + ")");
        case SendResult::failed:
            return fail(error);
        case SendResult::noInstance:
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return fail("another instance is starting but does not answer");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// Calls back when the file or its folder changes. Editors often replace a file rather than
// write it, which ends the watch on the file: it is watched again each time.
void watchFile(QFileSystemWatcher& watcher, const std::filesystem::path& path,
               std::function<void()> changed) {
    const QString file = QString::fromStdString(path.string());
    watcher.addPath(QString::fromStdString(path.parent_path().string()));
    watcher.addPath(file);
    const auto again = [&watcher, file, changed] {
        watcher.addPath(file);
        changed();
    };
    QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, again);
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, again);
}

} // namespace

int runGui(int argc, char** argv) {
    const CommandLine command = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (command.kind != CommandLine::Kind::run) {
        return fail("vantile-gui is started by vantile; run 'vantile --help'");
    }
    std::string error;
    const auto paths = runtimePathsFromEnvironment(&error);
    if (!paths) {
        return fail(error);
    }
    // Listening comes first, so that URLs reach us in every state of the launch.
    auto acquired = InstanceServer::acquire(*paths, ::getuid());
    if (acquired.otherInstance) {
        return forwardToOtherInstance(*paths, command);
    }
    if (!acquired.server) {
        return fail(acquired.error);
    }
    const SessionKind kind = sessionKind(command.desktop);
    std::unique_ptr<DesktopSession> session;
    if (kind == SessionKind::x11) {
        session = openX11Session(command.strictXErrors, &error);
        if (!session) {
            return fail(error);
        }
    } else if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return fail("KWin on Wayland needs a Wayland session: WAYLAND_DISPLAY is not set");
    } else {
        // Our own windows too are native Wayland windows, never XWayland ones, whatever the
        // environment asks for: KWin's script places them.
        qputenv("QT_QPA_PLATFORM", "wayland");
    }

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName("Vantile Window Manager");
    QuitOnSignal quitOnSignal;

    std::string unsupported;
    if (session) {
        session->start();
    } else {
        unsupported = KWinBridge::kwinPresent() ? "" : waylandDesktopName();
        session = startKWinSession(paths->directory, &error);
        if (!error.empty()) {
            std::fprintf(stderr, "vantile: %s.\n", error.c_str());
        }
    }
    Screens& screens = session->screens();
    WindowControl& backend = session->windows();
    OverlayHost& overlays = session->overlays();
    EventMonitors& monitors = session->monitors();
    QtClock clock;
    if (kind == SessionKind::kwin) {
        // Qt's global coordinates on Wayland are KWin's.
        setOwnWindowPlacer([&overlays](QWidget& window, const QRect& r) {
            overlays.place(
                window.windowTitle().toStdString(),
                Rect{double(r.x()), double(r.y()), double(r.width()), double(r.height())},
                takesKeys(window));
        });
        setOwnWindowActivator([&overlays](QWidget& window) {
            overlays.activate(window.windowTitle().toStdString());
        });
    }
    const auto toQtGlobal = [&overlays](const Rect& rect) { return qtGlobalRect(overlays, rect); };
    SnapPreviewWindow preview(overlays);
    AppDelegate* running = nullptr;
    std::unique_ptr<StatusMenuPresenter> statusMenu;
    std::unique_ptr<ShortcutsWindow> shortcutsWindow;
    DesktopNotifier notifier(
        DesktopNotifier::trayMessage([&] { return statusMenu ? statusMenu->tray() : nullptr; }));
    QFileSystemWatcher watcher;
    const std::vector<std::string> edgeNotes = session->edgeNotes();
    const auto toolbarHoldsKeys = [&running] {
        return running && running->editorToolbar() && running->editorToolbar()->holdsKeys();
    };
    AppDelegate delegate(AppEnvironment{
        screens,
        session->screenChanges(),
        backend,
        session->shortcuts(),
        session->drags(),
        preview,
        clock,
        activateOwnWindows,
        {},
        [&]() -> std::unique_ptr<OnboardingWindow> {
            return std::make_unique<AccessibilityOnboardingWindow>(
                clock, [&] { return backend.isTrusted(); }, openHelpPage, unsupported);
        },
        [] { QCoreApplication::quit(); },
        [&](const Screen& screen, BSPNode tree,
            bool isPrimary) -> std::unique_ptr<RegionEditorWindow> {
            return std::make_unique<QtRegionEditorWindow>(
                screen, std::move(tree), isPrimary, monitors, toolbarHoldsKeys,
                toQtGlobal(screen.frame), overlays.compositorRunning());
        },
        [&](const Screen& screen, RegionManager& regions,
            EditorToolbarCallbacks callbacks) -> std::unique_ptr<EditorToolbar> {
            return std::make_unique<QtEditorToolbar>(screen, regions, screens, toQtGlobal,
                                                     overlays.compositorRunning(),
                                                     std::move(callbacks));
        },
        [&](const Notice& notice) { notifier.notify(notice); },
        [&] { return edgeNotes; },
        [&](const std::filesystem::path& path, std::function<void()> changed) {
            watchFile(watcher, path, std::move(changed));
        },
        [&] {
            if (!shortcutsWindow) {
                shortcutsWindow = std::make_unique<ShortcutsWindow>(*running);
            }
            shortcutsWindow->refresh();
            shortcutsWindow->show();
            shortcutsWindow->raise();
            shortcutsWindow->activateWindow();
        },
        [&] { return shortcutsWindow && shortcutsWindow->isActiveWindow(); }});
    running = &delegate;
    delegate.onBuildStatusMenu = [&] {
        statusMenu = std::make_unique<StatusMenuPresenter>(delegate, screens);
        for (const std::string& sentence : edgeNotes) {
            std::fprintf(stderr, "vantile: note: %s.\n", sentence.c_str());
        }
    };

    InstanceService service(std::move(acquired.server));
    service.onUrl = [&](const std::string& url) {
        delegate.handleURL(url);
        session->drain();
    };
    // Input and screen changes go through the event loop: the answer waits until everything that
    // reached the X server before the ping has been handled.
    service.beforePong = [&] {
        session->drain();
        QCoreApplication::sendPostedEvents();
    };
    service.onCommand = [&](const std::vector<std::string>& words) {
        return delegate.runCommand(words);
    };

    delegate.applicationDidFinishLaunching();
    if (command.url) {
        delegate.handleURL(*command.url);
    }
    return app.exec();
}

} // namespace vantile
