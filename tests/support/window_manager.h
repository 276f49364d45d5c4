#pragma once

// A real window manager on a test's X server: Openbox with a configuration that binds no keys,
// IceWM with a private configuration whose taskbar reserves a strut at the bottom, and Fluxbox
// i3 and xfwm4 as they come (i3 keeps the test's client windows floating; xfwm4 reads its
// settings over a session bus of its own).

#include <xcb/xcb.h>

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "support/process.h"
#include "support/program_home.h"

namespace vantile::test {

class XServer;

enum class WmKind { Openbox, IceWM, Fluxbox, I3, Xfwm4 };

std::string_view nameOf(WmKind kind);
void PrintTo(WmKind kind, std::ostream* out);

class WindowManager {
  public:
    // Starts the window manager and waits until it announces itself on the root window (and, for
    // IceWM, until its taskbar's strut is on a viewable window) and manages windows; throws
    // HarnessError when it does not within a deadline or ends before.
    static std::unique_ptr<WindowManager> start(XServer& server, WmKind kind);
    ~WindowManager() = default;
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    WmKind kind() const { return kind_; }
    bool running() const { return process_.running(); }
    // How it is doing, and the end of its output, for failure messages.
    std::string report() const { return process_.report(); }

  private:
    WindowManager(WmKind kind, std::unique_ptr<ProgramHome> home, Process process);
    void awaitAnnouncement(const XServer& server) const;
    void awaitManagement(XServer& server) const;

    WmKind kind_;
    std::unique_ptr<ProgramHome> home_;
    Process process_;
};

} // namespace vantile::test
