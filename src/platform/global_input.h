#pragma once

// The desktop-wide half of the input monitors: key presses and left-button drags anywhere, heard
// by the backend. Key presses to the program's own windows reach the toolkit instead, which
// hands their native codes to `ownWindowKey` so that both halves speak the same key codes.

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/platform.h"

namespace vantile {

class GlobalInput {
  public:
    virtual ~GlobalInput() = default;
    // None where the desktop cannot report them. Tokens are never given twice.
    virtual std::optional<MonitorToken>
    addGlobalKeyDownMonitor(std::function<void(const KeyEvent&)> handler) = 0;
    virtual std::optional<MonitorToken> addGlobalMouseMonitor(MouseEventKind kind,
                                                              std::function<void()> handler) = 0;
    // The handler is not called again, even for events already received.
    virtual void removeMonitor(MonitorToken token) = 0;
    // A key press the toolkit received in one of our windows, from its native scan code and
    // modifier state.
    virtual KeyEvent ownWindowKey(std::uint32_t nativeScanCode,
                                  std::uint32_t nativeModifiers) const = 0;
};

} // namespace vantile
