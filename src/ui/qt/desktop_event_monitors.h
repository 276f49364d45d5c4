#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <map>
#include <memory>

#include "platform/global_input.h"
#include "platform/platform.h"

namespace vantile {

// The input monitors of the running program: key presses and drags anywhere on the desktop come
// from the desktop's backend; key presses to the program's own windows come from Qt, where they can
// still be swallowed before a widget sees them.
//
// Events from the desktop are handed on from the event loop, in order, never from inside
// whatever drained the connection: a window command drains it in the middle of its moves, and a
// second command run there would work on a frame that is about to change.
class DesktopEventMonitors : public QObject, public EventMonitors {
  public:
    explicit DesktopEventMonitors(GlobalInput& global);
    ~DesktopEventMonitors() override;

    std::optional<MonitorToken>
    addGlobalKeyDownMonitor(std::function<void(const KeyEvent&)> handler) override;
    std::optional<MonitorToken>
    addLocalKeyDownMonitor(std::function<bool(const KeyEvent&)> handler) override;
    std::optional<MonitorToken> addGlobalMouseMonitor(MouseEventKind kind,
                                                      std::function<void()> handler) override;
    void removeMonitor(MonitorToken token) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool reachedOwnWindow(const KeyEvent& event) const;

    // Local tokens live in their own range so that they never meet the desktop side's.
    static constexpr MonitorToken localTokenBase = MonitorToken{1} << 62;

    GlobalInput& global_;
    // Whether each desktop-side monitor is still installed; its queued events check this first.
    std::map<MonitorToken, std::shared_ptr<bool>> installed_;
    std::map<MonitorToken, std::function<bool(const KeyEvent&)>> local_;
    // The last presses that reached our own windows, by server time and key, newest last.
    std::deque<std::pair<std::uint32_t, std::uint16_t>> ownPresses_;
    MonitorToken nextLocal_ = localTokenBase;
};

} // namespace vantile
