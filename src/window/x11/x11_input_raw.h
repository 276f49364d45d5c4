#pragma once

// XInput 2 raw events of the master keyboard and pointer, selected on the root window. Raw
// events reach every client that selects them, whatever window has the focus or the pointer and
// even while another client (a window manager moving a window) grabs the device. They come from
// the devices themselves: button numbers are the physical ones, before any button mapping.
//
// The selection belongs to this object: it replaces whatever else this connection selected for
// the master devices on the root.

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>

#include "window/x11/x11_connection.h"

namespace vantile {

enum class RawInputKind { keyPress, buttonPress, buttonRelease, motion };

struct RawInputEvent {
    RawInputKind kind = RawInputKind::motion;
    // The X key code, or the physical button number; 0 for motion.
    std::uint32_t detail = 0;
    // The physical device (a slave of the master device) that made the event.
    std::uint16_t sourceDevice = 0;
    // The server time of the event.
    std::uint32_t time = 0;
};

class X11RawInput {
  public:
    // What select() takes.
    static constexpr std::uint32_t kKeyPress = 1u << 13;
    static constexpr std::uint32_t kButtonPress = 1u << 15;
    static constexpr std::uint32_t kButtonRelease = 1u << 16;
    static constexpr std::uint32_t kMotion = 1u << 17;

    // Asks for XInput 2 (one round trip) but selects nothing yet.
    explicit X11RawInput(X11Connection& connection);
    ~X11RawInput();
    X11RawInput(const X11RawInput&) = delete;
    X11RawInput& operator=(const X11RawInput&) = delete;

    bool available() const { return available_; }

    // Selects exactly these raw events; sends nothing when they are selected already.
    void select(std::uint32_t mask);
    std::uint32_t selected() const { return selected_; }

    // The raw event this X event is, if it is one of the kinds above.
    std::optional<RawInputEvent> read(const xcb_generic_event_t& event) const;

  private:
    X11Connection& connection_;
    bool available_ = false;
    std::uint8_t opcode_ = 0;
    std::uint32_t selected_ = 0;
};

} // namespace vantile
