#pragma once

// The program's own windows on KWin: Wayland gives a program no say over where its windows go
// or whether they stay above, so the bridge script places them, named by their title.

#include <string>

#include "backends/kwin/kwin_bridge.h"
#include "backends/kwin/kwin_screens.h"
#include "platform/overlay_host.h"

namespace vantile {

class KWinOverlayHost : public OverlayHost {
  public:
    // Both must outlive this object.
    KWinOverlayHost(KWinBridge& bridge, const KWinScreens& screens)
        : bridge_(bridge), screens_(screens) {}

    // KWin always composites.
    bool compositorRunning() override { return true; }
    Rect primaryInDesktopPixels() override { return screens_.primaryInDesktopPixels(); }
    void place(const std::string& title, const Rect& desktopPixels, bool takesKeys) override;
    void forget(const std::string& title) override;
    void activate(const std::string& title) override;

  private:
    KWinBridge& bridge_;
    const KWinScreens& screens_;
};

} // namespace vantile
