#include "main/gui_main.h"

#include <unistd.h>

#include <QApplication>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "app/app_delegate.h"
#include "app/edge_behaviours.h"
#include "backends/x11/x11_applications.h"
#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_input.h"
#include "backends/x11/x11_key_grabs.h"
#include "backends/x11/x11_overlay_host.h"
#include "backends/x11/x11_screen_changes.h"
#include "backends/x11/x11_screens.h"
#include "backends/x11/x11_window_backend.h"
#include "base/file_io.h"
#include "core/input/monitored_drags.h"
#include "ipc/command_line.h"
#include "ipc/instance_client.h"
#include "ipc/instance_server.h"
#include "ui/qt/accessibility_onboarding_window.h"
#include "ui/qt/desktop_event_monitors.h"
#include "ui/qt/desktop_notifier.h"
#include "ui/qt/editor/region_editor_toolbar.h"
#include "ui/qt/editor/region_editor_view.h"
#include "ui/qt/help_page.h"
#include "ui/qt/instance_service.h"
#include "ui/qt/own_windows.h"
#include "ui/qt/qt_clock.h"
#include "ui/qt/queued_screen_changes.h"
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

// Reads a setting of GNOME-style desktops through the desktop's own tool; the schema and key are
// the program's own words, never the user's. None where the tool or the schema is missing.
std::optional<std::string> desktopSetting(const std::string& schema, const std::string& key) {
    const std::string command = "gsettings get " + schema + " " + key + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        return std::nullopt;
    }
    std::string value;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) {
        value += buffer;
    }
    if (::pclose(pipe) != 0 || value.empty()) {
        return std::nullopt;
    }
    return value;
}

// What the window manager does itself at the edges.
std::vector<std::string> edgeBehaviours(X11Connection& connection) {
    const char* home = std::getenv("HOME");
    const char* config = std::getenv("XDG_CONFIG_HOME");
    ConfigFolders folders{
        home ? home : "",
        config && *config == '/' ? std::string(config) : std::string(home ? home : "") + "/.config",
        [](const std::string& path) { return readWholeFile(path); }, desktopSetting};
    return competingEdgeBehaviours(windowManagerName(connection).value_or(""), folders);
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

// Every window the toolkit makes is numbered from its own connection's range, which the server
// hands to no other client while that connection lives: a gesture that starts in one is ours.
void tellOwnWindows(X11GlobalInput& input) {
    if (const auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>()) {
        const xcb_setup_t* setup = xcb_get_setup(x11->connection());
        const std::uint32_t base = setup->resource_id_base;
        const std::uint32_t mask = setup->resource_id_mask;
        input.setOwnWindows([base, mask](xcb_window_t window) { return (window & ~mask) == base; });
    }
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
    auto connection = X11Connection::open(nullptr);
    if (!connection) {
        return fail("cannot connect to the X display");
    }
    connection->setStrictErrors(command.strictXErrors);

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName("Vantile Window Manager");
    QuitOnSignal quitOnSignal;

    X11Screens screens(*connection);
    QtClock clock;
    X11WindowBackend backend(*connection, clock);
    X11ScreenChanges x11ScreenChanges(*connection);
    QueuedScreenChanges screenChanges(x11ScreenChanges);
    X11GlobalInput globalInput(*connection);
    tellOwnWindows(globalInput);
    DesktopEventMonitors monitors(globalInput);
    X11KeyGrabs shortcuts(*connection);
    shortcuts.setPressHooks(
        [&] {
            backend.askAhead();
            screens.askAhead();
        },
        [&] {
            backend.dropAhead();
            screens.dropAhead();
        });
    MonitoredDrags drags(monitors, screens);
    X11OverlayHost overlays(*connection);
    const auto toQtGlobal = [&overlays](const Rect& rect) { return qtGlobalRect(overlays, rect); };
    SnapPreviewWindow preview(overlays);
    AppDelegate* running = nullptr;
    std::unique_ptr<StatusMenuPresenter> statusMenu;
    std::unique_ptr<ShortcutsWindow> shortcutsWindow;
    DesktopNotifier notifier(
        DesktopNotifier::trayMessage([&] { return statusMenu ? statusMenu->tray() : nullptr; }));
    QFileSystemWatcher watcher;
    const std::vector<std::string> edgeNotes = edgeBehaviours(*connection);
    const auto toolbarHoldsKeys = [&running] {
        return running && running->editorToolbar() && running->editorToolbar()->holdsKeys();
    };
    AppDelegate delegate(AppEnvironment{
        screens,
        screenChanges,
        backend,
        shortcuts,
        drags,
        preview,
        clock,
        activateOwnWindows,
        {},
        [&]() -> std::unique_ptr<OnboardingWindow> {
            return std::make_unique<AccessibilityOnboardingWindow>(
                clock, [&] { return backend.isTrusted(); }, openHelpPage);
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

    QSocketNotifier xEvents(connection->fileDescriptor(), QSocketNotifier::Read);
    QObject::connect(&xEvents, &QSocketNotifier::activated, [&] {
        connection->drainEvents();
        // The X server went away: nothing is left to do, and the socket would keep waking us.
        if (connection->hasFailed()) {
            xEvents.setEnabled(false);
            QCoreApplication::exit(1);
        }
    });

    connection->setQueuedEventsNotice(
        [&] { QTimer::singleShot(0, &app, [&] { connection->drainQueuedEvents(); }); });

    InstanceService service(std::move(acquired.server));
    service.onUrl = [&](const std::string& url) {
        delegate.handleURL(url);
        connection->drainEvents();
    };
    // Input and screen changes go through the event loop: the answer waits until everything that
    // reached the X server before the ping has been handled.
    service.beforePong = [&] {
        connection->drainEvents();
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
