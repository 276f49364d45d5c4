#pragma once

// What the window logic needs from a desktop. The X11 backend implements these for real desktops;
// the tests implement them in memory.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/geometry.h"

namespace vantile {

// One monitor. Frames are in screen space: origin at the bottom-left corner of the primary
// screen, y upward. Two screens are the same screen when their ids are equal.
struct Screen {
    std::uint64_t id = 0;
    Rect frame;
    Rect visibleFrame;
    std::string localizedName;

    friend bool operator==(const Screen& a, const Screen& b) { return a.id == b.id; }
};

class Screens {
  public:
    virtual ~Screens() = default;
    // The connected screens, primary first, read afresh on every call. May be empty.
    virtual std::vector<Screen> screens() const = 0;
    // The screen the user is working on: the one under the pointer, else the primary; none
    // without screens.
    virtual std::optional<Screen> mainScreen() const = 0;
    // The pointer position in screen space.
    virtual Point mouseLocation() const = 0;
    // The virtual desktop in view, on desktops that have several.
    virtual std::optional<std::uint32_t> currentDesktop() const { return std::nullopt; }
};

// An opaque handle to another program's window. A window's handle is its own for its whole life: a
// later window never gets the handle of one that has gone, even where the desktop reuses its
// numbers.
struct WindowRef {
    std::uint64_t id = 0;
    friend bool operator==(const WindowRef&, const WindowRef&) = default;
};

// Tells when the screen configuration changed: monitors added, removed, moved or resized, or
// another one made the primary. The space that panels reserve is read afresh by every command and
// is not a change of configuration.
class ScreenChanges {
  public:
    virtual ~ScreenChanges() = default;
    // Replaces the handler. It runs on the main thread, once per change noticed (changes that
    // arrive together may be reported once).
    virtual void setHandler(std::function<void()> handler) = 0;
};

// A key press: the key's code (by position on a US keyboard, as the shortcut tables name keys)
// and the modifier flags held with it.
struct KeyEvent {
    std::uint16_t keyCode = 0;
    std::uint64_t modifierFlags = 0;
    // The desktop's clock at the press, in milliseconds; 0 when it gives none.
    std::uint32_t time = 0;
};

namespace modifier {
inline constexpr std::uint64_t capsLock = 0x10000;
inline constexpr std::uint64_t shift = 0x20000;
inline constexpr std::uint64_t control = 0x40000;
inline constexpr std::uint64_t option = 0x80000;
inline constexpr std::uint64_t command = 0x100000;
inline constexpr std::uint64_t numericPad = 0x200000;
inline constexpr std::uint64_t help = 0x400000;
inline constexpr std::uint64_t function = 0x800000;
} // namespace modifier

enum class MouseEventKind { leftMouseDragged, leftMouseUp };

using MonitorToken = std::uint64_t;

// Watching input. Handlers run on the main thread. A removed monitor never calls its handler
// again, even for events already queued.
class EventMonitors {
  public:
    virtual ~EventMonitors() = default;
    // Key presses that go to other programs' windows; they cannot be swallowed.
    virtual std::optional<MonitorToken>
    addGlobalKeyDownMonitor(std::function<void(const KeyEvent&)> handler) = 0;
    // Key presses that go to this program's own windows; a handler returning true swallows one,
    // and the monitors added before it do not see it. The newest monitor sees a key first.
    virtual std::optional<MonitorToken>
    addLocalKeyDownMonitor(std::function<bool(const KeyEvent&)> handler) = 0;
    // Left-button drags and releases anywhere; the pointer position comes from Screens.
    virtual std::optional<MonitorToken> addGlobalMouseMonitor(MouseEventKind kind,
                                                              std::function<void()> handler) = 0;
    virtual void removeMonitor(MonitorToken token) = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    // Blocks the calling (main) thread.
    virtual void sleepMicroseconds(std::uint32_t micros) = 0;
    // Runs the task once on the main thread after the delay.
    virtual void runAfter(double seconds, std::function<void()> task) = 0;
};

} // namespace vantile
