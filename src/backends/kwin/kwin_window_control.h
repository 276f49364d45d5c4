#pragma once

// Other programs' windows on KWin, through the bridge script: it reports the active window and
// every change of its frame, so that reads are answered at once from what it said last. A frame
// is set by a command; KWin applies it when the client has redrawn at the new size, and the
// script reports that, or the write is given up after a short deadline.

#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "backends/kwin/kwin_bridge.h"
#include "backends/kwin/kwin_screens.h"
#include "platform/window_control.h"

namespace vantile {

class KWinWindowControl : public WindowControl {
  public:
    // Both must outlive this object.
    KWinWindowControl(KWinBridge& bridge, const KWinScreens& screens);

    bool isTrusted() override { return bridge_.answering(); }
    std::optional<WindowRef> activeWindow() override { return active_; }
    std::optional<Rect> frame(const WindowRef& window) override;
    void setFrame(const WindowRef& window, const Rect& frame, std::function<void()> done) override;

    // How long a write may take before it counts as refused.
    static constexpr int writeDeadlineMs = 500;

  private:
    WindowRef refFor(const QString& id);
    void finish(const QString& id);

    KWinBridge& bridge_;
    const KWinScreens& screens_;
    std::map<QString, std::uint64_t> refs_;
    std::map<std::uint64_t, QString> ids_;
    std::map<std::uint64_t, Rect> frames_;
    std::optional<WindowRef> active_;
    std::map<QString, std::vector<std::function<void()>>> waiting_;
};

} // namespace vantile
