#pragma once

// The modifiers held on the core keyboard, as XKB reports them. XKB sends its state changes on
// the same connection as the raw key presses, and a modifier key's change comes before the raw
// press of the next key: so the state at hand when a press is read is the state it was made in.

#include <xcb/xcb.h>

#include <cstdint>

#include "window/x11/x11_connection.h"

namespace vantile {

class X11InputModifiers {
  public:
    // Asks for XKB (one round trip) but watches nothing yet.
    explicit X11InputModifiers(X11Connection& connection);
    ~X11InputModifiers();
    X11InputModifiers(const X11InputModifiers&) = delete;
    X11InputModifiers& operator=(const X11InputModifiers&) = delete;

    bool available() const { return available_; }

    // Starts or stops hearing state changes. Starting reads the state as it is (one round trip);
    // stopping lets the keyboard's changes no longer wake the program.
    void watch(bool on);
    bool watching() const { return watching_; }

    // Takes the event when it is an XKB event; false for others.
    bool onEvent(const xcb_generic_event_t& event);

    // The effective X modifier mask: base, latched and locked together.
    std::uint16_t modifiers() const { return modifiers_; }

  private:
    void select(bool on);
    void readState();

    X11Connection& connection_;
    bool available_ = false;
    std::uint8_t eventCode_ = 0;
    bool watching_ = false;
    // The state read when watching began; changes sent before that read are older than it.
    std::uint32_t stateReadSequence_ = 0;
    std::uint16_t modifiers_ = 0;
};

} // namespace vantile
