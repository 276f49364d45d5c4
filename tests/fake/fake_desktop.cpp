#include "fake/fake_desktop.h"

#include <algorithm>
#include <sstream>
#include <utility>

namespace vantile::test {

std::string describe(const Rect& r) {
    std::ostringstream out;
    out << "(" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << ")";
    return out.str();
}

Screen FakeDesktop::addScreen(const Rect& frame, const Rect& visibleFrame) {
    Screen screen{screenList.size() + 1, frame, visibleFrame,
                  "Screen " + std::to_string(screenList.size() + 1)};
    screenList.push_back(screen);
    return screen;
}

std::uint64_t FakeDesktop::addFocusedWindow(const Rect& frame, std::int64_t pid) {
    const auto id = nextWindowId_++;
    FakeWindow window;
    window.frame = frame;
    window.pid = pid;
    windows[id] = window;
    auto& owner = apps[pid];
    owner.focusedWindow = id;
    if (!owner.windows) {
        owner.windows.emplace();
    }
    owner.windows->push_back(id);
    frontmostPid = pid;
    return id;
}

void FakeDesktop::advance(double seconds) {
    now_ += seconds;
    while (!tasks_.empty() && tasks_.begin()->first <= now_ + 1e-9) {
        auto task = std::move(tasks_.begin()->second);
        tasks_.erase(tasks_.begin());
        task();
    }
}

std::size_t FakeDesktop::count(const std::string& prefix) const {
    return static_cast<std::size_t>(std::count_if(
        log.begin(), log.end(), [&](const auto& entry) { return entry.rfind(prefix, 0) == 0; }));
}

std::vector<std::string> FakeDesktop::writes() const {
    std::vector<std::string> out;
    std::copy_if(log.begin(), log.end(), std::back_inserter(out), [](const auto& entry) {
        return entry.rfind("setSize", 0) == 0 || entry.rfind("setPosition", 0) == 0;
    });
    return out;
}

std::vector<Screen> FakeDesktop::screens() const {
    auto list = screenList;
    if (afterScreensRead) {
        afterScreensRead();
    }
    return list;
}

std::optional<Screen> FakeDesktop::mainScreen() const {
    for (const auto& screen : screenList) {
        const Rect& f = screen.frame;
        if (pointer.x >= f.minX() && pointer.x < f.maxX() && pointer.y >= f.minY() &&
            pointer.y < f.maxY()) {
            return screen;
        }
    }
    if (screenList.empty()) {
        return std::nullopt;
    }
    return screenList.front();
}

bool FakeDesktop::isTrusted() {
    log.push_back("isTrusted");
    return trusted;
}

FakeWindow* FakeDesktop::live(const WindowRef& window) {
    const auto it = windows.find(window.id);
    if (it == windows.end() || it->second.vanished) {
        return nullptr;
    }
    return &it->second;
}

FakeApp* FakeDesktop::app(const AppRef& ref) {
    const auto it = apps.find(ref.pid);
    return it == apps.end() ? nullptr : &it->second;
}

std::optional<AppRef> FakeDesktop::focusedApplication() {
    if (!frontmostPid || !apps.contains(*frontmostPid)) {
        return std::nullopt;
    }
    return AppRef{*frontmostPid};
}

std::optional<WindowRef> FakeDesktop::focusedWindow(const AppRef& ref) {
    const FakeApp* a = app(ref);
    if (!a || !a->focusedWindow) {
        return std::nullopt;
    }
    return WindowRef{*a->focusedWindow};
}

std::optional<WindowRef> FakeDesktop::mainWindow(const AppRef& ref) {
    const FakeApp* a = app(ref);
    if (!a || !a->mainWindow) {
        return std::nullopt;
    }
    return WindowRef{*a->mainWindow};
}

std::optional<std::vector<WindowRef>> FakeDesktop::windowList(const AppRef& ref) {
    const FakeApp* a = app(ref);
    if (!a || !a->windows) {
        return std::nullopt;
    }
    std::vector<WindowRef> out;
    for (auto id : *a->windows) {
        out.push_back(WindowRef{id});
    }
    return out;
}

AttributeRead<Point> FakeDesktop::position(const WindowRef& window) {
    log.push_back("readPosition " + std::to_string(window.id));
    const FakeWindow* w = live(window);
    if (!w || w->positionReadFails) {
        return AttributeRead<Point>::failed();
    }
    if (w->positionNotAValue) {
        return AttributeRead<Point>::notAValue();
    }
    return AttributeRead<Point>::of(w->frame.origin());
}

AttributeRead<Size> FakeDesktop::size(const WindowRef& window) {
    log.push_back("readSize " + std::to_string(window.id));
    const FakeWindow* w = live(window);
    if (!w || w->sizeReadFails) {
        return AttributeRead<Size>::failed();
    }
    return AttributeRead<Size>::of(w->frame.size());
}

void FakeDesktop::setPosition(const WindowRef& window, const Point& p) {
    std::ostringstream entry;
    entry << "setPosition " << window.id << " " << p.x << "," << p.y;
    log.push_back(entry.str());
    if (FakeWindow* w = live(window)) {
        w->frame.x = p.x + w->positionOffset.x;
        w->frame.y = p.y + w->positionOffset.y;
    }
}

void FakeDesktop::setSize(const WindowRef& window, const Size& s) {
    std::ostringstream entry;
    entry << "setSize " << window.id << " " << s.width << "x" << s.height;
    log.push_back(entry.str());
    if (FakeWindow* w = live(window)) {
        Size clamped = s;
        if (w->maxSize) {
            clamped.width = std::min(clamped.width, w->maxSize->width);
            clamped.height = std::min(clamped.height, w->maxSize->height);
        }
        if (w->minSize) {
            clamped.width = std::max(clamped.width, w->minSize->width);
            clamped.height = std::max(clamped.height, w->minSize->height);
        }
        w->frame.width = clamped.width;
        w->frame.height = clamped.height;
    }
}

void FakeDesktop::raise(const WindowRef& window) {
    log.push_back("raise " + std::to_string(window.id));
    if (duringRaise) {
        auto input = std::exchange(duringRaise, nullptr);
        input();
    }
}

std::optional<std::int64_t> FakeDesktop::processId(const WindowRef& window) {
    const FakeWindow* w = live(window);
    if (!w || w->pid == 0) {
        return std::nullopt;
    }
    return w->pid;
}

std::optional<bool> FakeDesktop::enhancedUserInterface(const AppRef& ref) {
    const FakeApp* a = app(ref);
    return a ? a->enhancedUserInterface : std::nullopt;
}

void FakeDesktop::setEnhancedUserInterface(const AppRef& ref, bool enabled) {
    log.push_back(std::string("setEnhanced ") + std::to_string(ref.pid) +
                  (enabled ? " true" : " false"));
    if (FakeApp* a = app(ref)) {
        a->enhancedUserInterface = enabled;
    }
}

std::optional<MonitorToken> FakeDesktop::install(Monitor monitor) {
    if (refuseMonitors) {
        return std::nullopt;
    }
    const MonitorToken token = nextToken_++;
    monitors_.emplace(token, std::move(monitor));
    return token;
}

std::optional<MonitorToken>
FakeDesktop::addGlobalKeyDownMonitor(std::function<void(const KeyEvent&)> handler) {
    return install(Monitor{std::move(handler), {}, std::nullopt, {}});
}

std::optional<MonitorToken>
FakeDesktop::addLocalKeyDownMonitor(std::function<bool(const KeyEvent&)> handler) {
    return install(Monitor{{}, std::move(handler), std::nullopt, {}});
}

std::optional<MonitorToken> FakeDesktop::addGlobalMouseMonitor(MouseEventKind kind,
                                                               std::function<void()> handler) {
    return install(Monitor{{}, {}, kind, std::move(handler)});
}

void FakeDesktop::removeMonitor(MonitorToken token) {
    monitors_.erase(token);
}

bool FakeDesktop::pressKey(const KeyEvent& event, bool toOwnWindow) {
    const auto installed = monitors_; // handlers may remove monitors
    bool swallowed = false;
    // The newest local monitor comes first, as on the real desktop.
    for (auto it = installed.rbegin(); it != installed.rend() && !swallowed; ++it) {
        const auto& [token, monitor] = *it;
        // A monitor removed by an earlier handler hears nothing more.
        if (!monitors_.contains(token)) {
            continue;
        }
        if (!toOwnWindow && monitor.globalKey) {
            monitor.globalKey(event);
        }
        if (toOwnWindow && monitor.localKey) {
            swallowed = monitor.localKey(event);
        }
    }
    return swallowed;
}

void FakeDesktop::mouse(MouseEventKind kind) {
    const auto installed = monitors_;
    for (const auto& [token, monitor] : installed) {
        if (monitor.mouseKind == kind && monitor.mouse) {
            monitor.mouse();
        }
    }
}

void FakeDesktop::sleepMicroseconds(std::uint32_t micros) {
    log.push_back("sleep " + std::to_string(micros));
}

void FakeDesktop::runAfter(double seconds, std::function<void()> task) {
    log.push_back("runAfter " + std::to_string(seconds));
    tasks_.emplace(now_ + seconds, std::move(task));
}

} // namespace vantile::test
