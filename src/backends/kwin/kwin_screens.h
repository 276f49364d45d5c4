#pragma once

// The monitors as the bridge script reports them: KWin's pixels (origin at the desktop's
// top-left, y down) turned into screen space, the usable area being KWin's own idea of where
// windows may go (panels left out). The first monitor KWin lists is the primary.

#include <functional>
#include <string>
#include <vector>

#include "backends/kwin/kwin_bridge.h"
#include "platform/platform.h"

namespace vantile {

class KWinScreens : public Screens, public ScreenChanges {
  public:
    // Names monitors that KWin's scripts cannot name (KWin 5), from their frame in KWin's pixels.
    using Namer = std::function<std::string(const Rect&)>;

    // The bridge must outlive this object.
    KWinScreens(KWinBridge& bridge, Namer namer);

    std::vector<Screen> screens() const override;
    std::optional<Screen> mainScreen() const override;
    Point mouseLocation() const override;
    std::optional<std::uint32_t> currentDesktop() const override { return desktop_; }
    void setHandler(std::function<void()> handler) override { changed_ = std::move(handler); }

    // The primary monitor in KWin's pixels; empty before the first report.
    Rect primaryInDesktopPixels() const;

  private:
    struct Monitor {
        std::string name;
        Rect full;
        Rect area;
    };
    void update(const QJsonObject& event);

    KWinBridge& bridge_;
    Namer namer_;
    std::vector<Monitor> monitors_;
    std::optional<std::uint32_t> desktop_;
    std::function<void()> changed_;
};

// A rectangle as the script writes it ({x, y, w, h}).
Rect rectFromJson(const QJsonObject& object);

} // namespace vantile
