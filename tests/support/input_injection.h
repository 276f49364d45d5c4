#pragma once

// Keyboard and mouse input made up through XTest on a connection of the test's own. The server
// treats it as a user's input from its XTest devices: raw events, XKB state, the window manager's
// grabs and the button mapping all apply as they do to a real keyboard and mouse.

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

#include "support/xcb_handles.h"

namespace vantile::test {

class XServer;

class InputInjector {
  public:
    // Throws HarnessError when the server lacks XTest.
    explicit InputInjector(const XServer& server);

    xcb_connection_t* connection() const { return connection_.get(); }

    // The first key code that the server's keyboard mapping gives the keysym (an X keysym, as
    // in keysymdef.h); throws HarnessError when none does.
    xcb_keycode_t keycodeOf(xcb_keysym_t keysym);

    // X key codes, as the server numbers keys (evdev code + 8).
    void pressKey(xcb_keycode_t keycode);
    void releaseKey(xcb_keycode_t keycode);
    void tapKey(xcb_keycode_t keycode);
    // Presses the keys in order, taps the last one, and releases the others in reverse order.
    void chord(const std::vector<xcb_keycode_t>& keys);

    // Physical button numbers, before the server's button mapping.
    void pressButton(std::uint8_t button);
    void releaseButton(std::uint8_t button);

    // Pointer motion as a mouse makes it; unlike a warp it gives raw motion events.
    void moveTo(int x, int y);
    void moveBy(int dx, int dy);

    // Returns once the server has carried out every input sent so far.
    void sync();

    // The core pointer's state mask: modifiers (Shift 0x1, Lock 0x2, ... Mod2 0x10) and logical
    // buttons (Button1 0x100 ...), as the server sees them now.
    std::uint16_t stateMask();

    // Tries to grab the pointer as an application would, and lets go again at once: the grab
    // status tells whether another client holds the pointer.
    std::uint8_t tryGrabPointer();

    // Replaces the core pointer mapping: mapping[i] is the logical button of physical i + 1.
    // Throws HarnessError when the server refuses.
    void setButtonMapping(const std::vector<std::uint8_t>& mapping);
    std::vector<std::uint8_t> buttonMapping();

  private:
    void fake(std::uint8_t type, std::uint8_t detail, int x = 0, int y = 0);

    XcbConnection connection_;
    xcb_window_t root_;
};

} // namespace vantile::test
