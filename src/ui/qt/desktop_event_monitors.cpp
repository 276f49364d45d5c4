#include "ui/qt/desktop_event_monitors.h"

#include <algorithm>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>

namespace vantile {

DesktopEventMonitors::DesktopEventMonitors(GlobalInput& global) : global_(global) {
    QCoreApplication::instance()->installEventFilter(this);
}

DesktopEventMonitors::~DesktopEventMonitors() {
    if (QCoreApplication::instance()) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

std::optional<MonitorToken>
DesktopEventMonitors::addGlobalKeyDownMonitor(std::function<void(const KeyEvent&)> handler) {
    auto installed = std::make_shared<bool>(true);
    const auto token = global_.addGlobalKeyDownMonitor(
        [this, installed, handler = std::move(handler)](const KeyEvent& event) {
            QMetaObject::invokeMethod(
                this,
                [this, installed, handler, event] {
                    // The backend reports every key press, also those to our own windows,
                    // which belong to the local monitors. A window just hidden can hold Qt's
                    // focus a moment longer, but no key reaches it any more; and a key that a
                    // window of ours took may have closed it (Return in the editor) before
                    // its report from the server is handled here.
                    const QWindow* focus = QGuiApplication::focusWindow();
                    if (*installed && (!focus || !focus->isVisible()) && !reachedOwnWindow(event)) {
                        handler(event);
                    }
                },
                Qt::QueuedConnection);
        });
    if (token) {
        installed_.emplace(*token, installed);
    }
    return token;
}

std::optional<MonitorToken>
DesktopEventMonitors::addLocalKeyDownMonitor(std::function<bool(const KeyEvent&)> handler) {
    const MonitorToken token = nextLocal_++;
    local_.emplace(token, std::move(handler));
    return token;
}

std::optional<MonitorToken>
DesktopEventMonitors::addGlobalMouseMonitor(MouseEventKind kind, std::function<void()> handler) {
    auto installed = std::make_shared<bool>(true);
    const auto token =
        global_.addGlobalMouseMonitor(kind, [this, installed, handler = std::move(handler)] {
            QMetaObject::invokeMethod(
                this,
                [installed, handler] {
                    if (*installed) {
                        handler();
                    }
                },
                Qt::QueuedConnection);
        });
    if (token) {
        installed_.emplace(*token, installed);
    }
    return token;
}

void DesktopEventMonitors::removeMonitor(MonitorToken token) {
    if (token >= localTokenBase) {
        local_.erase(token);
        return;
    }
    if (const auto it = installed_.find(token); it != installed_.end()) {
        *it->second = false;
        installed_.erase(it);
    }
    global_.removeMonitor(token);
}

bool DesktopEventMonitors::reachedOwnWindow(const KeyEvent& event) const {
    const std::pair<std::uint32_t, std::uint16_t> press{event.time, event.keyCode};
    return event.time != 0 &&
           std::find(ownPresses_.begin(), ownPresses_.end(), press) != ownPresses_.end();
}

bool DesktopEventMonitors::eventFilter(QObject* watched, QEvent* event) {
    // A key press reaches its window first and may then travel through widgets; judging it at
    // the window sees each press once.
    if (event->type() != QEvent::KeyPress || !watched->isWindowType()) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const KeyEvent translated = global_.ownWindowKey(key->nativeScanCode(), key->nativeModifiers());
    constexpr std::size_t kRememberedPresses = 16;
    ownPresses_.emplace_back(static_cast<std::uint32_t>(key->timestamp()), translated.keyCode);
    if (ownPresses_.size() > kRememberedPresses) {
        ownPresses_.pop_front();
    }
    // An open pop-up (a preset list, a menu) holds the keyboard, and its keys are its own: Escape
    // closes it, Return picks from it. It may already have closed by the time the press reaches
    // its window, so the window's kind decides, not whether it is still open.
    if (static_cast<QWindow*>(watched)->type() == Qt::Popup) {
        return false;
    }
    const auto handlers = local_; // a handler may remove monitors
    // The newest first: a window that opens over the others (the region editor) takes its keys
    // before the program-wide shortcuts do.
    for (auto it = handlers.rbegin(); it != handlers.rend(); ++it) {
        if (local_.contains(it->first) && it->second(translated)) {
            return true;
        }
    }
    return false;
}

} // namespace vantile
