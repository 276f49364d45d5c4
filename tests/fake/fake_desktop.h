#pragma once

// An in-memory desktop for unit tests: screens in any arrangement, programs and windows that
// accept, offset or clamp the frames written to them, and a clock that records sleeps and runs
// delayed tasks only when the test advances it. Every platform call is logged in order.

#include <map>
#include <string>
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
    // Runs inside each raise: input that arrives while a window is being moved.
    std::function<void()> duringRaise;
    // Called after every reading of the screen list (to change the desktop in between).
    std::function<void()> afterScreensRead;
    std::function<void()> screenChangeHandler;
    bool refuseMonitors = false;

    // Adds a screen with the given frame and visible frame (screen space); returns it.
    Screen addScreen(const Rect& frame, const Rect& visibleFrame);
    // Adds a window owned by `pid` and makes it that program's focused window and the program
    // frontmost.
    std::uint64_t addFocusedWindow(const Rect& frame, std::int64_t pid = 100);
    // Reports a change of the screen configuration to whoever listens.
    void changeScreens() {
        if (screenChangeHandler) {
            screenChangeHandler();
        }
    }

    // Input, as the monitors would see it. A key to one of this program's own windows goes to
    // the local monitors (true when one swallowed it), any other key to the global ones.
    bool pressKey(const KeyEvent& event, bool toOwnWindow = false);
    void mouse(MouseEventKind kind);
    std::size_t installedMonitors() const { return monitors_.size(); }

    // Runs the delayed tasks that are due after moving the clock forward.
    void advance(double seconds);
    std::size_t pendingTasks() const { return tasks_.size(); }
    std::vector<std::string> writes() const; // only setSize / setPosition entries

    std::vector<Screen> screens() const override;
    std::optional<Screen> mainScreen() const override;
    Point mouseLocation() const override { return pointer; }
    std::optional<std::uint32_t> currentDesktop() const override { return desktop; }
    void setHandler(std::function<void()> handler) override {
        screenChangeHandler = std::move(handler);
    }

    bool isTrusted() override { return trusted; }
    std::optional<AppRef> focusedApplication() override;
    std::optional<WindowRef> focusedWindow(const AppRef& app) override {
        return ref(apps.at(app.pid).focusedWindow);
    }
    std::optional<WindowRef> mainWindow(const AppRef& app) override {
        return ref(apps.at(app.pid).mainWindow);
    }
    std::optional<std::vector<WindowRef>> windowList(const AppRef& app) override;
    AttributeRead<Point> position(const WindowRef& window) override;
    AttributeRead<Size> size(const WindowRef& window) override;
    void setPosition(const WindowRef& window, const Point& position) override;
    void setSize(const WindowRef& window, const Size& size) override;
    void raise(const WindowRef& window) override;
    std::optional<std::int64_t> processId(const WindowRef& window) override;
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
    static std::optional<WindowRef> ref(std::optional<std::uint64_t> id) {
        return id ? std::optional(WindowRef{*id}) : std::nullopt;
    }
    FakeWindow* live(const WindowRef& window);

    struct Monitor {
        std::function<void(const KeyEvent&)> globalKey;
        std::function<bool(const KeyEvent&)> localKey;
        std::optional<MouseEventKind> mouseKind;
        std::function<void()> mouse;
    };
    std::optional<MonitorToken> install(Monitor monitor);
    std::map<MonitorToken, Monitor> monitors_;
    MonitorToken nextToken_ = 1;
    double now_ = 0;
    std::multimap<double, std::function<void()>> tasks_;
    std::uint64_t nextWindowId_ = 1;
};

} // namespace vantile::test
