#pragma once

// Names of X requests and errors, so that an error report says what went wrong in the words of the
// protocol instead of bare numbers.

#include <cstdint>
#include <string_view>

namespace vantile {

// The name of a core request ("ConfigureWindow"), or empty for opcodes the core protocol does not
// define (128 and above belong to extensions).
std::string_view coreRequestName(std::uint8_t majorOpcode);

// The name of a core error ("BadValue"), or empty for codes outside the core range.
std::string_view coreErrorName(std::uint8_t errorCode);

// RandR request names by minor opcode ("GetMonitors"), or empty when unknown.
std::string_view randrRequestName(std::uint16_t minorOpcode);

// RandR error names by offset from the extension's first error code ("BadOutput"), or empty.
std::string_view randrErrorName(std::uint8_t offset);

} // namespace vantile
