#pragma once

// Drags put together from watched mouse events, for desktops that report only left-button motion
// and releases (X11): the first motion after a release starts a drag, and the pointer is read
// from the screens at each event.

#include <map>

#include "platform/drag_source.h"
#include "platform/platform.h"

namespace vantile {

class MonitoredDrags : public DragSource {
  public:
    // Both must outlive this object.
    MonitoredDrags(EventMonitors& monitors, const Screens& screens)
        : monitors_(monitors), screens_(screens) {}
    ~MonitoredDrags() override;
    MonitoredDrags(const MonitoredDrags&) = delete;
    MonitoredDrags& operator=(const MonitoredDrags&) = delete;

    std::optional<MonitorToken> watchDrags(DragHandlers handlers) override;
    void stopWatching(MonitorToken token) override;

  private:
    struct Watch {
        DragHandlers handlers;
        MonitorToken up = 0;
        bool dragging = false;
    };
    void moved(MonitorToken token);
    void released(MonitorToken token);

    EventMonitors& monitors_;
    const Screens& screens_;
    // By the token of the watch's motion monitor, which is the watch's own token.
    std::map<MonitorToken, Watch> watches_;
};

} // namespace vantile
