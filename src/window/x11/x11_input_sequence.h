#pragma once

// Whether an event was sent after the server handled a given request. A state read from the
// server is newer than the events already on their way, which must then not overwrite it.

#include <xcb/xcb.h>

#include <cstdint>

namespace vantile {

// Every event carries the number of the last request the server had handled when it sent the
// event; xcb widens it to 32 bits in full_sequence.
inline bool sentAtOrAfter(const xcb_generic_event_t& event, std::uint32_t requestSequence) {
    // The difference, read as signed, stays right across the counter's wrap.
    return static_cast<std::int32_t>(event.full_sequence - requestSequence) >= 0;
}

} // namespace vantile
