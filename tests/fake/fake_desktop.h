#pragma once

// An in-memory desktop for unit tests: screens in any arrangement, windows that accept, offset or
// clamp the frames written to them (written as the X11 backend writes them, in the verified
// sequence), shortcuts and drags recognised among the input as on X11, and a clock that records
// sleeps and runs delayed tasks only when the test advances it. Window calls and sleeps are logged
// in order.

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "backends/x11/verified_frame_writer.h"
#include "core/input/monitored_drags.h"
#include "core/input/monitored_shortcuts.h"
#include "platform/platform.h"
#include "platform/window_control.h"
#include "support/rect_printing.h"

namespace vantile::test {

struct FakeWindow {
    Rect frame;            // top-left, y-down space
    Point positionOffset;  // added to every position written (a program that shifts itself)
    Size maxSize, minSize; // sizes are clamped to these (zero: no limit), as a program may insist
    bool vanished = false; // reads fail and writes are ignored
};

class FakeDesktop : public Screens,
                    public ScreenChanges,
                    public WindowControl,
                    public WindowAttributes,
                    public EventMonitors,
                    public Clock {
  public:
    // Screens are given in screen space (bottom-left origin, y up), primary first.
    std::vector<Screen> screenList;
    Point pointer;
    std::optional<std::uint32_t> desktop;
    bool trusted = true;
    std::optional<std::uint64_t> active;
    std::map<std::uint64_t, FakeWindow> windows;
    std::vector<std::string> log;
    int writes = 0; // of positions and sizes
    // Runs inside each raise: input that arrives while a window is being moved.
    std::function<void()> duringRaise;
    // Called after every reading of the screen list (to change the desktop in between).
    std::function<void()> afterScreensRead;
    // Whoever listens to changes of the screen configuration.
    std::function<void()> screenChangeHandler;
    bool refuseMonitors = false;

    // Adds a screen with the given frame and visible frame (screen space); returns it.
    Screen addScreen(const Rect& frame, const Rect& visibleFrame) {
        const auto n = screenList.size() + 1;
        return screenList.emplace_back(
            Screen{n, frame, visibleFrame, "Screen " + std::to_string(n)});
    }
    // Adds a window and makes it the active one.
    std::uint64_t addFocusedWindow(const Rect& frame) {
        const auto id = windows.size() + 1;
        windows[id].frame = frame;
        active = id;
        return id;
    }
    // Input, as the monitors would see it. A key to one of this program's own windows goes to
    // the local monitors (true when one swallowed it), any other key to the global ones.
    bool pressKey(const KeyEvent& event, bool toOwnWindow = false) {
        const auto installed = monitors_; // handlers may remove monitors
        bool swallowed = false;
        // The newest local monitor comes first, as on the real desktop; a monitor removed by an
        // earlier handler hears nothing more.
        for (auto it = installed.rbegin(); it != installed.rend() && !swallowed; ++it) {
            const auto& [token, monitor] = *it;
            if (monitors_.contains(token) && !toOwnWindow && monitor.globalKey) {
                monitor.globalKey(event);
            } else if (monitors_.contains(token) && toOwnWindow && monitor.localKey) {
                swallowed = monitor.localKey(event);
            }
        }
        return swallowed;
    }
    void mouse(MouseEventKind kind) {
        for (const auto& [token, monitor] : std::map(monitors_)) {
            if (monitor.mouseKind == kind && monitor.mouse) {
                monitor.mouse();
            }
        }
    }
    std::size_t installedMonitors() const { return monitors_.size(); }

    // Runs the delayed tasks that are due after moving the clock forward.
    void advance(double seconds) {
        for (now_ += seconds; !tasks_.empty() && tasks_.begin()->first <= now_ + 1e-9;) {
            auto task = std::move(tasks_.extract(tasks_.begin()).mapped());
            task();
        }
    }
    std::size_t pendingTasks() const { return tasks_.size(); }

    std::vector<Screen> screens() const override {
        auto list = screenList;
        if (afterScreensRead) {
            afterScreensRead();
        }
        return list;
    }
    std::optional<Screen> mainScreen() const override {
        for (const auto& screen : screenList) {
            if (contains(screen.frame, pointer)) {
                return screen;
            }
        }
        return screenList.empty() ? std::nullopt : std::optional(screenList.front());
    }
    Point mouseLocation() const override { return pointer; }
    std::optional<std::uint32_t> currentDesktop() const override { return desktop; }
    void setHandler(std::function<void()> handler) override {
        screenChangeHandler = std::move(handler);
    }

    bool isTrusted() override { return trusted; }
    std::optional<WindowRef> activeWindow() override {
        return active ? std::optional(WindowRef{*active}) : std::nullopt;
    }
    std::optional<Rect> frame(const WindowRef& window) override {
        log.push_back("read " + std::to_string(window.id));
        const FakeWindow* w = live(window);
        return w ? std::optional(w->frame) : std::nullopt;
    }
    void setFrame(const WindowRef& window, const Rect& frame, std::function<void()> done) override {
        VerifiedFrameWriter(*this, *this).write(window, frame);
        if (done) {
            done();
        }
    }
    void setPosition(const WindowRef& window, const Point& p) override {
        if (FakeWindow* w = written("setPosition", window, p.x, ',', p.y)) {
            w->frame.x = p.x + w->positionOffset.x;
            w->frame.y = p.y + w->positionOffset.y;
        }
    }
    void setSize(const WindowRef& window, const Size& s) override {
        if (FakeWindow* w = written("setSize", window, s.width, 'x', s.height)) {
            const Size most = w->maxSize.width > 0 ? w->maxSize : s, least = w->minSize;
            w->frame.width = std::max(std::min(s.width, most.width), least.width);
            w->frame.height = std::max(std::min(s.height, most.height), least.height);
        }
    }
    void raise(const WindowRef& window) override {
        log.push_back("raise " + std::to_string(window.id));
        if (duringRaise) {
            std::exchange(duringRaise, nullptr)();
        }
    }
    std::optional<MonitorToken>
    addGlobalKeyDownMonitor(std::function<void(const KeyEvent&)> handler) override {
        return install({std::move(handler), {}, {}, {}});
    }
    std::optional<MonitorToken>
    addLocalKeyDownMonitor(std::function<bool(const KeyEvent&)> handler) override {
        return install({{}, std::move(handler), {}, {}});
    }
    std::optional<MonitorToken> addGlobalMouseMonitor(MouseEventKind kind,
                                                      std::function<void()> handler) override {
        return install({{}, {}, kind, std::move(handler)});
    }
    void removeMonitor(MonitorToken token) override { monitors_.erase(token); }

    void sleepMicroseconds(std::uint32_t micros) override {
        log.push_back("sleep " + std::to_string(micros));
    }
    void runAfter(double seconds, std::function<void()> task) override {
        tasks_.emplace(now_ + seconds, std::move(task));
    }

  private:
    struct Monitor {
        std::function<void(const KeyEvent&)> globalKey;
        std::function<bool(const KeyEvent&)> localKey;
        std::optional<MouseEventKind> mouseKind;
        std::function<void()> mouse;
    };

    FakeWindow* live(const WindowRef& window) {
        const auto it = windows.find(window.id);
        return it == windows.end() || it->second.vanished ? nullptr : &it->second;
    }
    // Logs a write as "setSize 1 640x480" and gives the window it changes, if it lives.
    FakeWindow* written(const char* what, const WindowRef& window, double a, char by, double b) {
        ++writes;
        std::ostringstream entry;
        entry << what << " " << window.id << " " << a << by << b;
        log.push_back(entry.str());
        return live(window);
    }
    std::optional<MonitorToken> install(Monitor monitor) {
        if (refuseMonitors) {
            return std::nullopt;
        }
        monitors_.emplace(nextToken_, std::move(monitor));
        return nextToken_++;
    }

    std::map<MonitorToken, Monitor> monitors_;
    MonitorToken nextToken_ = 1;
    double now_ = 0;
    std::multimap<double, std::function<void()>> tasks_;

  public:
    // Shortcuts among the monitored keys, with some chords held by another program.
    struct Shortcuts : MonitoredShortcuts {
        using MonitoredShortcuts::MonitoredShortcuts;
        Registration registerShortcut(const std::string& id, const KeyChord& chord,
                                      ShortcutPress pressed) override {
            return std::ranges::count(taken, chord)
                       ? Registration::taken
                       : MonitoredShortcuts::registerShortcut(id, chord, std::move(pressed));
        }
        // As a desktop whose own settings bind the keys: what each id holds there.
        bool boundByDesktop() const override { return heldThere.has_value(); }
        Registration offerShortcut(const std::string& id, ShortcutPress pressed) override {
            offered.push_back(id);
            return Registration::active;
        }
        std::optional<std::vector<std::string>> heldChords(const std::string& id) override {
            return heldThere ? std::optional((*heldThere)[id]) : std::nullopt;
        }
        bool rebind(const std::string& id, const std::vector<KeyChord>& chords) override {
            rebound[id] = chords;
            return heldThere.has_value();
        }
        std::vector<KeyChord> taken;
        std::optional<std::map<std::string, std::vector<std::string>>> heldThere;
        std::vector<std::string> offered;
        std::map<std::string, std::vector<KeyChord>> rebound;
    };
    // Over the monitors above, so they go first.
    Shortcuts shortcuts{*this};
    MonitoredDrags drags{*this, *this};
};

} // namespace vantile::test
