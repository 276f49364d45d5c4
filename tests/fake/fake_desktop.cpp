#include "fake/fake_desktop.h"

#include <algorithm>
#include <sstream>
#include <utility>

namespace vantile::test {

Screen FakeDesktop::addScreen(const Rect& frame, const Rect& visibleFrame) {
    const auto n = screenList.size() + 1;
    return screenList.emplace_back(Screen{n, frame, visibleFrame, "Screen " + std::to_string(n)});
}

std::uint64_t FakeDesktop::addFocusedWindow(const Rect& frame, std::int64_t pid) {
    const auto id = nextWindowId_++;
    windows[id].frame = frame;
    windows[id].pid = pid;
    auto& owner = apps[pid];
    owner.focusedWindow = id;
    owner.windows = owner.windows.value_or(std::vector<std::uint64_t>{});
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

std::vector<std::string> FakeDesktop::writes() const {
    std::vector<std::string> out;
    std::copy_if(log.begin(), log.end(), std::back_inserter(out), [](const auto& entry) {
        return entry.starts_with("setSize") || entry.starts_with("setPosition");
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
    const auto it = std::find_if(screenList.begin(), screenList.end(),
                                 [&](const Screen& s) { return contains(s.frame, pointer); });
    return it != screenList.end() ? std::optional(*it)
           : screenList.empty()   ? std::nullopt
                                  : std::optional(screenList.front());
}

FakeWindow* FakeDesktop::live(const WindowRef& window) {
    const auto it = windows.find(window.id);
    return it == windows.end() || it->second.vanished ? nullptr : &it->second;
}

std::optional<AppRef> FakeDesktop::focusedApplication() {
    if (!frontmostPid || !apps.contains(*frontmostPid)) {
        return std::nullopt;
    }
    return AppRef{*frontmostPid};
}

std::optional<std::vector<WindowRef>> FakeDesktop::windowList(const AppRef& ref) {
    const auto& ids = apps.at(ref.pid).windows;
    if (!ids) {
        return std::nullopt;
    }
    std::vector<WindowRef> out(ids->size());
    std::transform(ids->begin(), ids->end(), out.begin(), [](auto id) { return WindowRef{id}; });
    return out;
}

AttributeRead<Point> FakeDesktop::position(const WindowRef& window) {
    log.push_back("readPosition " + std::to_string(window.id));
    const FakeWindow* w = live(window);
    if (!w || w->positionReadFails) {
        return AttributeRead<Point>::failed();
    }
    return w->positionNotAValue ? AttributeRead<Point>::notAValue()
                                : AttributeRead<Point>::of(w->frame.origin());
}

AttributeRead<Size> FakeDesktop::size(const WindowRef& window) {
    log.push_back("readSize " + std::to_string(window.id));
    const FakeWindow* w = live(window);
    return w ? AttributeRead<Size>::of(w->frame.size()) : AttributeRead<Size>::failed();
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
        const Size most = w->maxSize.width > 0 ? w->maxSize : s, least = w->minSize;
        w->frame.width = std::max(std::min(s.width, most.width), least.width);
        w->frame.height = std::max(std::min(s.height, most.height), least.height);
    }
}

void FakeDesktop::raise(const WindowRef& window) {
    log.push_back("raise " + std::to_string(window.id));
    if (duringRaise) {
        std::exchange(duringRaise, nullptr)();
    }
}

std::optional<std::int64_t> FakeDesktop::processId(const WindowRef& window) {
    const FakeWindow* w = live(window);
    return w && w->pid != 0 ? std::optional(w->pid) : std::nullopt;
}

std::optional<MonitorToken> FakeDesktop::install(Monitor monitor) {
    if (refuseMonitors) {
        return std::nullopt;
    }
    monitors_.emplace(nextToken_, std::move(monitor));
    return nextToken_++;
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

} // namespace vantile::test
