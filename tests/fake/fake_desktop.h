#pragma once

// An in-memory desktop for unit tests: screens in any arrangement, programs and windows that
// accept, offset or clamp the frames written to them, and a clock that records sleeps and runs
// delayed tasks only when the test advances it. Every platform call is logged in order.

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "support/rect_printing.h"

namespace vantile::test {

struct FakeWindow {
    Rect frame;             // top-left, y-down space
    std::int64_t pid = 100; // owning program; 0 = unknown
    Point positionOffset;   // added to every position written (a program that shifts itself)
    Size maxSize, minSize;  // sizes are clamped to these (zero: no limit), as a program may insist
    bool positionReadFails = false;
    bool positionNotAValue = false;
    bool vanished = false; // reads fail and writes are ignored
};

struct FakeApp {
    std::optional<std::uint64_t> focusedWindow;
    std::optional<std::uint64_t> mainWindow;
    std::optional<std::vector<std::uint64_t>> windows;
};

class FakeDesktop : public Screens,
                    public ScreenChanges,
                    public WindowBackend,
                    public EventMonitors,
                    public Clock {
  public:
    // Screens are given in screen space (bottom-left origin, y up), primary first.
    std::vector<Screen> screenList;
    Point pointer;
    std::optional<std::uint32_t> desktop;
    bool trusted = true;
    std::optional<std::int64_t> frontmostPid;
    std::map<std::int64_t, FakeApp> apps;
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
    // Adds a window owned by `pid` and makes it that program's focused window and the program
    // frontmost.
    std::uint64_t addFocusedWindow(const Rect& frame, std::int64_t pid = 100) {
        const auto id = windows.size() + 1;
        std::tie(windows[id].frame, windows[id].pid) = std::tie(frame, pid);
        auto& owner = apps[pid];
        owner.focusedWindow = id;
        owner.windows = owner.windows.value_or(std::vector<std::uint64_t>{});
        owner.windows->push_back(id);
        frontmostPid = pid;
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
    std::optional<AppRef> focusedApplication() override {
        return frontmostPid && apps.contains(*frontmostPid) ? std::optional(AppRef{*frontmostPid})
                                                            : std::nullopt;
    }
    std::optional<WindowRef> focusedWindow(const AppRef& app) override {
        return ref(apps.at(app.pid).focusedWindow);
    }
    std::optional<WindowRef> mainWindow(const AppRef& app) override {
        return ref(apps.at(app.pid).mainWindow);
    }
    std::optional<std::vector<WindowRef>> windowList(const AppRef& app) override {
        const auto& ids = apps.at(app.pid).windows;
        std::vector<WindowRef> out;
        for (const auto id : ids.value_or(std::vector<std::uint64_t>{})) {
            out.push_back({id});
        }
        return ids ? std::optional(out) : std::nullopt;
    }
    AttributeRead<Point> position(const WindowRef& window) override {
        log.push_back("readPosition " + std::to_string(window.id));
        const FakeWindow* w = live(window);
        return !w || w->positionReadFails ? AttributeRead<Point>::failed()
               : w->positionNotAValue     ? AttributeRead<Point>::notAValue()
                                          : AttributeRead<Point>::of(w->frame.origin());
    }
    AttributeRead<Size> size(const WindowRef& window) override {
        log.push_back("readSize " + std::to_string(window.id));
        const FakeWindow* w = live(window);
        return w ? AttributeRead<Size>::of(w->frame.size()) : AttributeRead<Size>::failed();
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
    std::optional<std::int64_t> processId(const WindowRef& window) override {
        const FakeWindow* w = live(window);
        return w && w->pid != 0 ? std::optional(w->pid) : std::nullopt;
    }
    // Programs here have no enhanced mode to switch off during a move, as under X11.
    std::optional<bool> enhancedUserInterface(const AppRef&) override { return std::nullopt; }
    void setEnhancedUserInterface(const AppRef&, bool) override {}

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

    static std::optional<WindowRef> ref(std::optional<std::uint64_t> id) {
        return id ? std::optional(WindowRef{*id}) : std::nullopt;
    }
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
};

} // namespace vantile::test
