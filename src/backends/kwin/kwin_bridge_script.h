#pragma once

// The text of bridge.js, built into the program.

namespace vantile {
extern const char* const kwinBridgeScript;
}
