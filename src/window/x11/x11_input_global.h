#pragma once

// The global half of the input monitors on an X display: key presses and left-button drags and
// releases anywhere on the desktop, heard through XInput 2 raw events on the root window, with
// the modifiers from XKB. The program's own windows are left to a monitor on the toolkit's side.
//
// Handlers run when the connection is drained, on the thread that drains it (the main thread).
// Nothing is selected while no monitor needs it, so that an idle program is not woken: key
// presses and XKB state only while a key monitor exists, button releases while a mouse monitor
// exists, button presses while a drag monitor exists, and pointer motion, the busiest of all,
// only while a drag monitor exists and the left button is held.
//
// Key presses are reported without swallowing them, modifier keys included; keys that the key
// table does not name come with kUnmappedKeyCode (see x11_input_keys.h). Key repeats made by the
// server are not raw events and are not reported. Motion that arrives in one batch is reported
// as one drag, before anything that followed it in the batch.

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <optional>

#include "window/platform.h"
#include "window/x11/x11_connection.h"
#include "window/x11/x11_input_button.h"
#include "window/x11/x11_input_handlers.h"
#include "window/x11/x11_input_modifiers.h"
#include "window/x11/x11_input_raw.h"

namespace vantile {

class X11GlobalInput {
  public:
    // Asks for XInput 2 and XKB (two round trips) and listens to the connection, which must
    // outlive this object.
    explicit X11GlobalInput(X11Connection& connection);
    X11GlobalInput(const X11GlobalInput&) = delete;
    X11GlobalInput& operator=(const X11GlobalInput&) = delete;

    // None without XInput 2 (or, for keys, without XKB). Adding may wait for the server once, to
    // read the modifiers or whether the left button is held. Tokens are never given twice.
    std::optional<MonitorToken>
    addGlobalKeyDownMonitor(std::function<void(const KeyEvent&)> handler);
    std::optional<MonitorToken> addGlobalMouseMonitor(MouseEventKind kind,
                                                      std::function<void()> handler);
    // The handler is not called again, even for events already received, even when it is removed
    // by another handler called for the same event. Tokens of other monitors are ignored.
    void removeMonitor(MonitorToken token);

    // Names the program's own windows. A gesture whose press lands on one of them (or inside one)
    // is the program's own from the press to the release: its drags and its release are not
    // reported, wherever the release happens.
    void setOwnWindows(std::function<bool(xcb_window_t)> isOwn) { isOwn_ = std::move(isOwn); }

  private:
    void onEvent(const xcb_generic_event_t& event);
    void onRawEvent(const RawInputEvent& raw, const xcb_generic_event_t& event);
    void onButton(const RawInputEvent& raw, const xcb_generic_event_t& event);
    void reportDrag();
    bool pointerOverOwnWindow();
    void updateSelection();
    std::uint32_t wantedEvents() const;

    X11Connection& connection_;
    X11RawInput raw_;
    X11InputModifiers modifiers_;
    X11InputButton button_;
    InputHandlers<const KeyEvent&> keyHandlers_;
    InputHandlers<> dragHandlers_;
    InputHandlers<> upHandlers_;
    MonitorToken nextToken_ = 1;
    // Motion heard in the batch at hand and not reported yet.
    bool dragPending_ = false;
    std::function<bool(xcb_window_t)> isOwn_;
    // The button is held in a gesture that began on one of our windows.
    bool ownGesture_ = false;
    // Last, so that no event reaches a half-destroyed object.
    X11Connection::Subscription subscription_;
};

} // namespace vantile
