#include "window/x11/x11_input_global.h"

#include <utility>

#include "window/x11/x11_input_keys.h"

namespace vantile {

X11GlobalInput::X11GlobalInput(X11Connection& connection)
    : connection_(connection), raw_(connection), modifiers_(connection), button_(connection) {
    subscription_ = connection_.addEventHandler(
        [this](const xcb_generic_event_t& event) { onEvent(event); }, [this] { reportDrag(); });
}

std::optional<MonitorToken>
X11GlobalInput::addGlobalKeyDownMonitor(std::function<void(const KeyEvent&)> handler) {
    if (!raw_.available() || !modifiers_.available()) {
        return std::nullopt;
    }
    const MonitorToken token = nextToken_++;
    keyHandlers_.add(token, std::move(handler));
    updateSelection();
    return token;
}

std::optional<MonitorToken> X11GlobalInput::addGlobalMouseMonitor(MouseEventKind kind,
                                                                  std::function<void()> handler) {
    if (!raw_.available()) {
        return std::nullopt;
    }
    const MonitorToken token = nextToken_++;
    (kind == MouseEventKind::leftMouseDragged ? dragHandlers_ : upHandlers_)
        .add(token, std::move(handler));
    updateSelection();
    return token;
}

void X11GlobalInput::removeMonitor(MonitorToken token) {
    if (keyHandlers_.remove(token) || dragHandlers_.remove(token) || upHandlers_.remove(token)) {
        updateSelection();
    }
}

std::uint32_t X11GlobalInput::wantedEvents() const {
    std::uint32_t wanted = 0;
    if (!keyHandlers_.empty()) {
        wanted |= X11RawInput::kKeyPress;
    }
    if (!upHandlers_.empty() || !dragHandlers_.empty()) {
        wanted |= X11RawInput::kButtonRelease;
    }
    if (!dragHandlers_.empty()) {
        wanted |= X11RawInput::kButtonPress;
        if (button_.held()) {
            wanted |= X11RawInput::kMotion;
        }
    }
    return wanted;
}

void X11GlobalInput::updateSelection() {
    // The modifiers are read before key presses are selected, so that every press heard comes
    // after the state it is read with.
    modifiers_.watch(!keyHandlers_.empty());
    raw_.select(wantedEvents());
    // Whether the button is held is read after its presses and releases are selected, so that no
    // change falls between; motion follows when it is held already.
    button_.follow(!dragHandlers_.empty());
    raw_.select(wantedEvents());
    connection_.flush();
}

void X11GlobalInput::onEvent(const xcb_generic_event_t& event) {
    if (modifiers_.onEvent(event) || button_.onMappingEvent(event)) {
        return;
    }
    if (const std::optional<RawInputEvent> raw = raw_.read(event)) {
        onRawEvent(*raw, event);
    }
}

void X11GlobalInput::onRawEvent(const RawInputEvent& raw, const xcb_generic_event_t& event) {
    switch (raw.kind) {
    case RawInputKind::keyPress:
        // Events already on their way when the last key monitor went are dropped here.
        if (!keyHandlers_.empty()) {
            reportDrag();
            KeyEvent key = keyEventFor(raw.detail, modifiers_.modifiers());
            key.time = raw.time;
            keyHandlers_.callAll(key);
        }
        break;
    case RawInputKind::buttonPress:
    case RawInputKind::buttonRelease:
        onButton(raw, event);
        break;
    case RawInputKind::motion:
        dragPending_ = dragPending_ || (button_.held() && !ownGesture_);
        break;
    }
}

void X11GlobalInput::onButton(const RawInputEvent& raw, const xcb_generic_event_t& event) {
    if (button_.onButton(raw, event)) {
        if (button_.held()) {
            ownGesture_ = pointerOverOwnWindow();
        }
        // Motion is wanted from the press of the left button to its release.
        updateSelection();
    }
    if (raw.kind == RawInputKind::buttonRelease && !upHandlers_.empty() &&
        button_.isPrimary(raw.detail) && !ownGesture_) {
        // The drag the release ends is reported before it.
        reportDrag();
        upHandlers_.callAll();
    }
    if (!button_.held()) {
        ownGesture_ = false;
    }
}

// Walks down from the root through the windows under the pointer: the top-level one is a window
// manager's frame for managed windows, and the program's own window lies a level or two below.
bool X11GlobalInput::pointerOverOwnWindow() {
    if (!isOwn_) {
        return false;
    }
    constexpr int kMaxDepth = 4;
    xcb_window_t window = connection_.root();
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        const auto pointer = takeReply(connection_, &xcb_query_pointer_reply,
                                       xcb_query_pointer(connection_.raw(), window));
        if (!pointer || pointer->child == XCB_WINDOW_NONE) {
            return false;
        }
        window = pointer->child;
        if (isOwn_(window)) {
            return true;
        }
    }
    return false;
}

void X11GlobalInput::reportDrag() {
    if (std::exchange(dragPending_, false)) {
        dragHandlers_.callAll();
    }
}

} // namespace vantile
