#include <QGuiApplication>
#include <QScreen>
#include <cstdlib>

#include "backends/kwin/kwin_bridge.h"
#include "backends/kwin/kwin_drags.h"
#include "backends/kwin/kwin_overlay_host.h"
#include "backends/kwin/kwin_screens.h"
#include "backends/kwin/kwin_shortcuts.h"
#include "backends/kwin/kwin_window_control.h"
#include "backends/x11/x11_keys.h"
#include "main/desktop_session.h"
#include "platform/global_input.h"
#include "ui/qt/desktop_event_monitors.h"

namespace vantile {

namespace {

// On Wayland nothing outside our own windows can be heard; keys in them come with the same
// xkb key codes and modifier masks as on X11.
class WaylandInput : public GlobalInput {
  public:
    std::optional<MonitorToken>
    addGlobalKeyDownMonitor(std::function<void(const KeyEvent&)>) override {
        return std::nullopt;
    }
    std::optional<MonitorToken> addGlobalMouseMonitor(MouseEventKind,
                                                      std::function<void()>) override {
        return std::nullopt;
    }
    void removeMonitor(MonitorToken) override {}
    KeyEvent ownWindowKey(std::uint32_t nativeScanCode,
                          std::uint32_t nativeModifiers) const override {
        return keyEventFor(nativeScanCode, static_cast<std::uint16_t>(nativeModifiers));
    }
};

// KWin 5's scripts cannot name monitors; the toolkit knows them by their frames.
std::string toolkitScreenName(const Rect& frame) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        if (g.x() == frame.x && g.y() == frame.y && g.width() == frame.width &&
            g.height() == frame.height) {
            return screen->name().toStdString();
        }
    }
    return {};
}

class KWinSession : public DesktopSession {
  public:
    explicit KWinSession(const std::string& scriptFolder)
        : bridge_(scriptFolder), screens_(bridge_, toolkitScreenName), windows_(bridge_, screens_),
          shortcuts_(bridge_), drags_(bridge_, screens_), overlays_(bridge_, screens_),
          monitors_(input_) {}

    std::optional<std::string> load() { return bridge_.start(); }

    Screens& screens() override { return screens_; }
    ScreenChanges& screenChanges() override { return screens_; }
    WindowControl& windows() override { return windows_; }
    GlobalShortcuts& shortcuts() override { return shortcuts_; }
    DragSource& drags() override { return drags_; }
    OverlayHost& overlays() override { return overlays_; }
    EventMonitors& monitors() override { return monitors_; }
    std::vector<std::string> edgeNotes() override { return desktopEdgeNotes("KWin"); }
    // Whatever the script sent before a ping is answered has reached the bus by now; a round
    // trip to the script makes sure it has been handled here too.
    void drain() override { bridge_.roundTrip(); }

  private:
    KWinBridge bridge_;
    KWinScreens screens_;
    KWinWindowControl windows_;
    KWinShortcuts shortcuts_;
    KWinDrags drags_;
    KWinOverlayHost overlays_;
    WaylandInput input_;
    DesktopEventMonitors monitors_;
};

} // namespace

std::unique_ptr<DesktopSession> startKWinSession(const std::string& scriptFolder,
                                                 std::string* error) {
    auto session = std::make_unique<KWinSession>(scriptFolder);
    if (!KWinBridge::kwinPresent()) {
        *error = waylandDesktopName() +
                 " is not supported yet: on Wayland only KDE Plasma's KWin lets programs move "
                 "windows";
    } else if (const auto failed = session->load()) {
        *error = *failed;
    }
    return session;
}

std::string waylandDesktopName() {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    const std::string first =
        desktop ? std::string(desktop).substr(0, std::string(desktop).find(':')) : "";
    return first.empty() ? "this Wayland desktop" : first + " on Wayland";
}

SessionKind sessionKind(const std::optional<std::string>& choice) {
    if (choice) {
        return *choice == "kwin" ? SessionKind::kwin : SessionKind::x11;
    }
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* type = std::getenv("XDG_SESSION_TYPE");
    const bool waylandSession = (wayland && *wayland) || (type && std::string(type) == "wayland");
    return waylandSession ? SessionKind::kwin : SessionKind::x11;
}

} // namespace vantile
