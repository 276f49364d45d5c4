#pragma once

// Pointer and keyboard input made up for a real KWin through its fake input protocol, on a Wayland
// connection of the test's own. KWin feeds it through its input pipeline as a device of its own:
// pointer focus, button serials, implicit grabs and interactive moves follow from it as from a
// mouse.
//
// A headless KWin has no pointer of its own: its seat offers one only while a fake input device
// exists, and a client told of it late binds it late, missing what was sent before. So a test
// makes its FakeInput before the clients it points at.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct wl_display;
struct org_kde_kwin_fake_input;

namespace vantile::test {

class FakeInput {
  public:
    // Connects to the compositor at this socket path and introduces itself; throws HarnessError
    // when it cannot, or when the compositor offers no fake input that can place the pointer.
    explicit FakeInput(const std::string& display);

    // Each of these returns once KWin has handled the input, and throws HarnessError when the
    // connection fails. Positions are in KWin's global logical pixels.
    void moveTo(double x, double y);
    void pressButton() { button(1); }
    void releaseButton() { button(0); }
    // An evdev key code (KEY_* of linux/input-event-codes.h).
    void key(std::uint32_t code, bool pressed);
    // Presses the keys in order and releases them in reverse order.
    void chord(const std::vector<std::uint32_t>& codes);

  private:
    struct Release {
        void operator()(wl_display* display) const;
        void operator()(org_kde_kwin_fake_input* input) const;
    };

    void button(std::uint32_t state);
    void roundtrip(const char* what);

    std::unique_ptr<wl_display, Release> display_;
    // Destroyed before the connection it lives on.
    std::unique_ptr<org_kde_kwin_fake_input, Release> input_;
};

} // namespace vantile::test
