#pragma once

// A private Xvfb with RandR monitors and a real window manager, as integration tests need them.

#include <xcb/xcb.h>

#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "backends/x11/x11_connection.h"
#include "support/process.h"
#include "support/xcb_handles.h"

namespace vantile::test {

// A monitor a test asks for, in root pixels. The first of a list becomes the primary one.
struct WantedMonitor {
    std::string name{};
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const WantedMonitor&, const WantedMonitor&) = default;
};

class XServer {
  public:
    // Starts Xvfb with one 24-bit screen of the size, on a display number it picks itself, and
    // waits until it accepts connections; throws HarnessError when it does not.
    static std::unique_ptr<XServer> start(int width, int height);

    // ":N"
    const std::string& display() const { return display_; }
    xcb_connection_t* connection() const { return connection_.get(); }
    xcb_screen_t* screen() const { return screen_; }
    xcb_window_t root() const { return screen_->root; }

    // Replaces the RandR monitors with exactly these; throws HarnessError when that fails.
    void setMonitors(const std::vector<WantedMonitor>& monitors);

  private:
    XServer(Process process, std::unique_ptr<TempDir> logDir, std::string display);

    // In this order, so that the connection closes before the server stops.
    std::unique_ptr<TempDir> logDir_;
    Process process_;
    std::string display_;
    XcbConnection connection_;
    xcb_screen_t* screen_ = nullptr;
    std::vector<WantedMonitor> monitors_;
};

// Openbox with a configuration that binds no keys, IceWM with a private configuration whose
// taskbar reserves the bottom, Fluxbox and xfwm4 as they come, i3 with the test's clients floating,
// and Openbox as it comes (four desktops, Ctrl+Alt+arrows switch between them).
enum class WmKind { Openbox, IceWM, Fluxbox, I3, Xfwm4, StockOpenbox };
std::string_view nameOf(WmKind kind);
inline void PrintTo(WmKind kind, std::ostream* out) {
    *out << nameOf(kind);
}

struct WindowManager {
    // Starts it and waits until it announces itself, has laid out its panels and manages
    // windows; throws HarnessError when it does not within a deadline.
    static std::unique_ptr<WindowManager> start(XServer& server, WmKind kind);

    std::unique_ptr<ProgramHome> home;
    Process process;
};

struct Desktop {
    // In this order, so that the window manager stops before its server.
    std::unique_ptr<XServer> server;
    std::unique_ptr<WindowManager> windowManager;

    // Starts the server, sets the monitors (when any are given), then the window manager, so
    // that it lays out its panels on them.
    static Desktop start(WmKind kind, int width, int height,
                         const std::vector<WantedMonitor>& monitors = {});
};

// The program's own X connection, with unexpected X errors fatal as the program runs under test;
// throws HarnessError when it cannot connect.
std::unique_ptr<X11Connection> connectProgram(const XServer& server);

} // namespace vantile::test
