#pragma once

// Other programs' windows on KWin, through the bridge script: it reports the active window and
// every change of its frame, so that reads are answered at once from what it said last. A frame
// is set by a command; KWin applies it when the client has redrawn at the new size, and the
// script reports that, or the write is given up after a short deadline.

#include <QObject>
#include <QString>
#include <cstdint>
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
    // Ends the writes to the window up to the given one: all of them when KWin reports the frame.
    void finish(const QString& id, std::uint64_t upTo = UINT64_MAX);

    KWinBridge& bridge_;
    const KWinScreens& screens_;
    std::map<QString, std::uint64_t> refs_;
    std::map<std::uint64_t, QString> ids_;
    std::map<std::uint64_t, Rect> frames_;
    std::optional<WindowRef> active_;
    struct Waiting {
        std::uint64_t write;
        std::function<void()> done;
    };
    std::map<QString, std::vector<Waiting>> waiting_;
    std::uint64_t writes_ = 0;
    // Deadlines end with this object.
    QObject deadlines_;
};

} // namespace vantile
