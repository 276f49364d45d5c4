#pragma once

// The user's interactive moves of windows, as KWin reports them to the bridge script.

#include <map>

#include "backends/kwin/kwin_bridge.h"
#include "backends/kwin/kwin_screens.h"
#include "platform/drag_source.h"

namespace vantile {

class KWinDrags : public DragSource {
  public:
    // Both must outlive this object.
    KWinDrags(KWinBridge& bridge, const KWinScreens& screens);

    std::optional<MonitorToken> watchDrags(DragHandlers handlers) override;
    void stopWatching(MonitorToken token) override { watches_.erase(token); }

  private:
    void report(const QString& phase);

    const KWinScreens& screens_;
    std::map<MonitorToken, DragHandlers> watches_;
    MonitorToken nextToken_ = 1;
    bool dragging_ = false;
};

} // namespace vantile
