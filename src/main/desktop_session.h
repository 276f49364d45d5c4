#pragma once

// One desktop the program controls, with everything the rest of the program needs of it. The
// session is chosen at start: KWin's bridge on a Wayland session with KWin, X11 otherwise.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/drag_source.h"
#include "platform/global_shortcuts.h"
#include "platform/overlay_host.h"
#include "platform/platform.h"
#include "platform/window_control.h"

namespace vantile {

class DesktopSession {
  public:
    virtual ~DesktopSession() = default;
    // Makes the parts once the toolkit runs.
    virtual void start() {}
    virtual Screens& screens() = 0;
    virtual ScreenChanges& screenChanges() = 0;
    virtual WindowControl& windows() = 0;
    virtual GlobalShortcuts& shortcuts() = 0;
    virtual DragSource& drags() = 0;
    virtual OverlayHost& overlays() = 0;
    // Key presses to the program's own windows, and whatever the desktop lets it hear beyond.
    virtual EventMonitors& monitors() = 0;
    // Sentences about what the desktop does itself that competes with drag-to-snap.
    virtual std::vector<std::string> edgeNotes() = 0;
    // Handles everything the desktop sent before now: the answer to a ping waits for it.
    virtual void drain() {}
};

// Opened before the toolkit starts, which it checks the display for; its parts are made by
// `start` once the toolkit runs.
std::unique_ptr<DesktopSession> openX11Session(bool strictErrors, std::string* error);

// Once the toolkit runs on the Wayland display: loads the bridge into KWin. `scriptFolder` is a
// private folder for the bridge script's file. Where KWin is missing or does not run the bridge,
// the session stays untrusted (never falling back to XWayland, where the program would reach
// only some of the windows), and `error` says why.
std::unique_ptr<DesktopSession> startKWinSession(const std::string& scriptFolder,
                                                 std::string* error);
// The desktop as the session names it ("GNOME", "sway"), for telling the user.
std::string waylandDesktopName();

// What the named window manager does itself at the screen's edges, from the user's settings.
std::vector<std::string> desktopEdgeNotes(const std::string& windowManager);

// Which desktop to control: the command line's choice, else the session's own.
enum class SessionKind { x11, kwin };
SessionKind sessionKind(const std::optional<std::string>& choice);

} // namespace vantile
