#pragma once

// The user's drags with the left button anywhere on the desktop, followed with the pointer. On
// X11 every drag is heard, whatever it moves; a desktop that reports the interactive moves of
// windows reports those.

#include <functional>
#include <optional>

#include "base/geometry.h"
#include "platform/platform.h"

namespace vantile {

// The pointer is in screen space. `started` comes before the first `moved` of a drag, `finished`
// once the button is let go after it; all run on the main thread.
struct DragHandlers {
    std::function<void(const Point&)> started;
    std::function<void(const Point&)> moved;
    std::function<void(const Point&)> finished;
};

class DragSource {
  public:
    virtual ~DragSource() = default;
    // None where the desktop cannot report drags. Tokens are never given twice.
    virtual std::optional<MonitorToken> watchDrags(DragHandlers handlers) = 0;
    // The handlers are not called again, even for events already received.
    virtual void stopWatching(MonitorToken token) = 0;
};

} // namespace vantile
