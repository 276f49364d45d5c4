#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QtGui/qguiapplication_platform.h>
#include <cstdio>
#include <cstdlib>

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
#include "main/desktop_session.h"
#include "ui/qt/desktop_event_monitors.h"
#include "ui/qt/qt_clock.h"
#include "ui/qt/queued_screen_changes.h"

namespace vantile {

namespace {

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

std::vector<std::string> desktopEdgeNotes(const std::string& windowManager) {
    const char* home = std::getenv("HOME");
    const char* config = std::getenv("XDG_CONFIG_HOME");
    ConfigFolders folders{
        home ? home : "",
        config && *config == '/' ? std::string(config) : std::string(home ? home : "") + "/.config",
        [](const std::string& path) { return readWholeFile(path); }, desktopSetting};
    return competingEdgeBehaviours(windowManager, folders);
}

class X11Session : public DesktopSession {
  public:
    explicit X11Session(std::unique_ptr<X11Connection> connection)
        : connection_(std::move(connection)) {}

    void start() override {
        screens_ = std::make_unique<X11Screens>(*connection_);
        backend_ = std::make_unique<X11WindowBackend>(*connection_, clock_);
        x11ScreenChanges_ = std::make_unique<X11ScreenChanges>(*connection_);
        screenChanges_ = std::make_unique<QueuedScreenChanges>(*x11ScreenChanges_);
        input_ = std::make_unique<X11GlobalInput>(*connection_);
        tellOwnWindows(*input_);
        monitors_ = std::make_unique<DesktopEventMonitors>(*input_);
        grabs_ = std::make_unique<X11KeyGrabs>(*connection_);
        grabs_->setPressHooks(
            [this] {
                backend_->askAhead();
                screens_->askAhead();
            },
            [this] {
                backend_->dropAhead();
                screens_->dropAhead();
            });
        drags_ = std::make_unique<MonitoredDrags>(*monitors_, *screens_);
        overlays_ = std::make_unique<X11OverlayHost>(*connection_);
        xEvents_ =
            std::make_unique<QSocketNotifier>(connection_->fileDescriptor(), QSocketNotifier::Read);
        QObject::connect(xEvents_.get(), &QSocketNotifier::activated, [this] {
            connection_->drainEvents();
            // The X server went away: nothing is left to do, and the socket would keep waking us.
            if (connection_->hasFailed()) {
                xEvents_->setEnabled(false);
                QCoreApplication::exit(1);
            }
        });
        connection_->setQueuedEventsNotice(
            [this] { QTimer::singleShot(0, qApp, [this] { connection_->drainQueuedEvents(); }); });
    }

    Screens& screens() override { return *screens_; }
    ScreenChanges& screenChanges() override { return *screenChanges_; }
    WindowControl& windows() override { return *backend_; }
    GlobalShortcuts& shortcuts() override { return *grabs_; }
    DragSource& drags() override { return *drags_; }
    OverlayHost& overlays() override { return *overlays_; }
    EventMonitors& monitors() override { return *monitors_; }
    std::vector<std::string> edgeNotes() override {
        return desktopEdgeNotes(windowManagerName(*connection_).value_or(""));
    }
    void drain() override { connection_->drainEvents(); }

  private:
    std::unique_ptr<X11Connection> connection_;
    QtClock clock_;
    std::unique_ptr<X11Screens> screens_;
    std::unique_ptr<X11WindowBackend> backend_;
    std::unique_ptr<X11ScreenChanges> x11ScreenChanges_;
    std::unique_ptr<QueuedScreenChanges> screenChanges_;
    std::unique_ptr<X11GlobalInput> input_;
    std::unique_ptr<DesktopEventMonitors> monitors_;
    std::unique_ptr<X11KeyGrabs> grabs_;
    std::unique_ptr<MonitoredDrags> drags_;
    std::unique_ptr<X11OverlayHost> overlays_;
    std::unique_ptr<QSocketNotifier> xEvents_;
};

std::unique_ptr<DesktopSession> openX11Session(bool strictErrors, std::string* error) {
    auto connection = X11Connection::open(nullptr);
    if (!connection) {
        *error = "cannot connect to the X display";
        return nullptr;
    }
    connection->setStrictErrors(strictErrors);
    return std::make_unique<X11Session>(std::move(connection));
}

} // namespace vantile
