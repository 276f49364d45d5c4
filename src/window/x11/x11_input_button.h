#pragma once

// Whether the primary (left) mouse button is held, followed through raw button events. Raw events
// carry physical button numbers; the core pointer mapping (left-handed setups swap 1 and 3 there)
// tells which of them acts as button 1. The mapping is read when first needed and again after
// the server announces a change.

#include <xcb/xcb.h>

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "window/x11/x11_connection.h"
#include "window/x11/x11_input_raw.h"
#include "window/x11/x11_reply.h"

namespace vantile {

class X11InputButton {
  public:
    explicit X11InputButton(X11Connection& connection) : connection_(connection) {}

    // Starts or stops following the button. Starting reads whether it is held already (one round
    // trip, shared with reading the mapping when that is due).
    void follow(bool on);
    bool following() const { return following_; }

    // Whether the physical button acts as the primary one.
    bool isPrimary(std::uint32_t physicalButton);

    // Takes a raw press or release; true when it changed whether the button is held.
    bool onButton(const RawInputEvent& event, const xcb_generic_event_t& xEvent);

    // Takes the core MappingNotify event; false for other events.
    bool onMappingEvent(const xcb_generic_event_t& event);

    bool held() const { return !holders_.empty(); }

  private:
    // Who holds the button: the device and the physical button it pressed, so that a release
    // matches its press even when the mapping changed in between.
    using Holder = std::pair<std::uint16_t, std::uint32_t>;
    // Stands for a press made before following began, of which neither is known.
    static constexpr Holder kEarlierPress{0, 0};

    void readState(bool withMapping);
    void takeMapping(ReplyPtr<xcb_get_pointer_mapping_reply_t> reply);

    X11Connection& connection_;
    bool following_ = false;
    bool mappingStale_ = true;
    // The logical button of each physical one, from 1; numbers beyond it are not mapped.
    std::vector<std::uint8_t> mapping_;
    // The pointer state read when following began; raw events sent before it are older.
    std::uint32_t stateReadSequence_ = 0;
    std::set<Holder> holders_;
};

} // namespace vantile
