#pragma once

// Keyboard and mouse input made up through XTest on a connection of the test's own. The server
// treats it as a user's input from its XTest devices: raw events, XKB state, the window manager's
// grabs and the button mapping all apply as they do to a real keyboard and mouse.

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdint>
#include <vector>

#include "support/desktop.h"

namespace vantile::test {

class InputInjector {
  public:
    explicit InputInjector(const XServer& server)
        : connection_(connectToDisplay(server.display())), root_(server.root()) {}

    // The first key code the server's keyboard mapping gives the keysym; throws HarnessError
    // when none does.
    xcb_keycode_t keycodeOf(xcb_keysym_t keysym);

    // Presses the keys (X key codes, evdev code + 8) in order, and releases them in reverse order.
    void chord(const std::vector<xcb_keycode_t>& keys);
    // Holds a key down, which the server repeats, until it is released.
    void pressKey(xcb_keycode_t key) { fake(XCB_KEY_PRESS, key); }
    void releaseKey(xcb_keycode_t key) { fake(XCB_KEY_RELEASE, key); }

    // Physical button numbers, before the server's button mapping.
    void pressButton(std::uint8_t button) { fake(XCB_BUTTON_PRESS, button); }
    void releaseButton(std::uint8_t button) { fake(XCB_BUTTON_RELEASE, button); }
    // Pointer motion as a mouse makes it; unlike a warp it gives raw motion events.
    void moveTo(int x, int y) { fake(XCB_MOTION_NOTIFY, 0, x, y); }

    // Returns once the server has carried out every input sent so far.
    void sync() { roundTrip(connection_.get()); }

    // Swaps what the physical buttons 1 and 3 do, as for a left hand.
    void swapPrimaryButton();

  private:
    void fake(std::uint8_t type, std::uint8_t detail, int x = 0, int y = 0) {
        xcb_test_fake_input(connection_.get(), type, detail, XCB_CURRENT_TIME, root_,
                            std::int16_t(x), std::int16_t(y), 0);
    }

    XcbConnection connection_;
    xcb_window_t root_;
};

} // namespace vantile::test
