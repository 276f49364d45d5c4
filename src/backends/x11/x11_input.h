#pragma once

// The global half of the input monitors on an X display: left-button drags and releases anywhere
// on the desktop, heard through XInput 2 raw events on the root window. Keys are not watched here:
// shortcuts grab theirs (see x11_key_grabs.h). The program's own windows are left to a monitor on
// the toolkit's side, whose key presses come back here to be read as key codes.
//
// Handlers run when the connection is drained, on the thread that drains it (the main thread).
// Nothing is selected while no monitor needs it, so that an idle program is not woken: button
// releases while a mouse monitor exists, button presses while a drag monitor exists, and pointer
// motion, the busiest of all, only while a drag monitor exists and the left button is held.
// Motion that arrives in one batch is reported as one drag, before anything that followed it in
// the batch.

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "backends/x11/x11_connection.h"
#include "backends/x11/x11_reply.h"
#include "platform/global_input.h"
#include "platform/platform.h"

namespace vantile {

// The parts X11GlobalInput is made of.

// Whether an event was sent after the server handled a given request. A state read from the
// server is newer than the events already on their way, which must then not overwrite it.
// Every event carries the number of the last request the server had handled when it sent the
// event; xcb widens it to 32 bits in full_sequence.
inline bool sentAtOrAfter(const xcb_generic_event_t& event, std::uint32_t requestSequence) {
    // The difference, read as signed, stays right across the counter's wrap.
    return static_cast<std::int32_t>(event.full_sequence - requestSequence) >= 0;
}

// XInput 2 raw events of the master keyboard and pointer, selected on the root window. Raw
// events reach every client that selects them, whatever window has the focus or the pointer and
// even while another client (a window manager moving a window) grabs the device. They come from
// the devices themselves: button numbers are the physical ones, before any button mapping.
//
// The selection belongs to this object: it replaces whatever else this connection selected for
// the master devices on the root.
enum class RawInputKind { buttonPress, buttonRelease, motion };

struct RawInputEvent {
    RawInputKind kind = RawInputKind::motion;
    // The physical button number; 0 for motion.
    std::uint32_t detail = 0;
    // The physical device (a slave of the master device) that made the event.
    std::uint16_t sourceDevice = 0;
    // The server time of the event.
    std::uint32_t time = 0;
};

class X11RawInput {
  public:
    // What select() takes.
    static constexpr std::uint32_t kButtonPress = 1u << 15;
    static constexpr std::uint32_t kButtonRelease = 1u << 16;
    static constexpr std::uint32_t kMotion = 1u << 17;

    // Asks for XInput 2 (one round trip) but selects nothing yet.
    explicit X11RawInput(X11Connection& connection);
    ~X11RawInput();
    X11RawInput(const X11RawInput&) = delete;
    X11RawInput& operator=(const X11RawInput&) = delete;

    bool available() const { return available_; }

    // Selects exactly these raw events; sends nothing when they are selected already.
    void select(std::uint32_t mask);
    std::uint32_t selected() const { return selected_; }

    // The raw event this X event is, if it is one of the kinds above.
    std::optional<RawInputEvent> read(const xcb_generic_event_t& event) const;

  private:
    X11Connection& connection_;
    bool available_ = false;
    std::uint8_t opcode_ = 0;
    std::uint32_t selected_ = 0;
};

// The handlers of one kind of input monitor, keyed by their tokens. A handler removed while
// others are being called, by one of them or by itself, is not called again, not even for the
// event at hand.
template <class... Args> class InputHandlers {
  public:
    using Handler = std::function<void(Args...)>;

    void add(MonitorToken token, Handler handler) {
        entries_.emplace(token, std::make_shared<Entry>(Entry{std::move(handler), true}));
    }

    // False when the token names none of these handlers.
    bool remove(MonitorToken token) {
        const auto found = entries_.find(token);
        if (found == entries_.end()) {
            return false;
        }
        found->second->active = false;
        entries_.erase(found);
        return true;
    }

    bool empty() const { return entries_.empty(); }

    // Calls every handler there is now, in the order they were added. The shared entries keep a
    // handler alive while it runs, even when it removes itself.
    void callAll(Args... args) const {
        std::vector<std::shared_ptr<Entry>> current;
        current.reserve(entries_.size());
        for (const auto& [token, entry] : entries_) {
            current.push_back(entry);
        }
        for (const auto& entry : current) {
            if (entry->active) {
                entry->handler(args...);
            }
        }
    }

  private:
    struct Entry {
        Handler handler;
        bool active = true;
    };

    std::map<MonitorToken, std::shared_ptr<Entry>> entries_;
};

// Whether the primary (left) mouse button is held, followed through raw button events. Raw events
// carry physical button numbers; the core pointer mapping (left-handed setups swap 1 and 3 there)
// tells which of them acts as button 1. The mapping is read when first needed and again after
// the server announces a change.
class X11InputButton {
  public:
    explicit X11InputButton(X11Connection& connection) : connection_(connection) {}

    // Starts or stops following the button. Starting reads whether it is held already (one round
    // trip, shared with reading the mapping when that is due).
    void follow(bool on);
    bool following() const { return following_; }

    // Whether the physical button acts as the primary one.
    bool isPrimary(std::uint32_t physicalButton);

    // Takes a raw press or release; true when it changed whether the button is held.
    bool onButton(const RawInputEvent& event, const xcb_generic_event_t& xEvent);

    // Takes the core MappingNotify event; false for other events.
    bool onMappingEvent(const xcb_generic_event_t& event);

    bool held() const { return !holders_.empty(); }

  private:
    // Who holds the button: the device and the physical button it pressed, so that a release
    // matches its press even when the mapping changed in between.
    using Holder = std::pair<std::uint16_t, std::uint32_t>;
    // Stands for a press made before following began, of which neither is known.
    static constexpr Holder kEarlierPress{0, 0};

    void readState(bool withMapping);
    void takeMapping(ReplyPtr<xcb_get_pointer_mapping_reply_t> reply);

    X11Connection& connection_;
    bool following_ = false;
    bool mappingStale_ = true;
    // The logical button of each physical one, from 1; numbers beyond it are not mapped.
    std::vector<std::uint8_t> mapping_;
    // The pointer state read when following began; raw events sent before it are older.
    std::uint32_t stateReadSequence_ = 0;
    std::set<Holder> holders_;
};

class X11GlobalInput : public GlobalInput {
  public:
    // Asks for XInput 2 (one round trip) and listens to the connection, which must
    // outlive this object.
    explicit X11GlobalInput(X11Connection& connection);
    X11GlobalInput(const X11GlobalInput&) = delete;
    X11GlobalInput& operator=(const X11GlobalInput&) = delete;

    // None without XInput 2, and always for keys. Adding may wait for the server once, to read
    // whether the left button is held. Tokens are never given twice.
    std::optional<MonitorToken>
        addGlobalKeyDownMonitor(std::function<void(const KeyEvent&)>) override;
    std::optional<MonitorToken> addGlobalMouseMonitor(MouseEventKind kind,
                                                      std::function<void()> handler) override;
    // The handler is not called again, even for events already received, even when it is removed
    // by another handler called for the same event. Tokens of other monitors are ignored.
    void removeMonitor(MonitorToken token) override;
    // The toolkit's native codes on X are the server's key codes and modifier state.
    KeyEvent ownWindowKey(std::uint32_t nativeScanCode,
                          std::uint32_t nativeModifiers) const override;

    // Names the program's own windows. A gesture whose press lands on one of them (or inside one)
    // is the program's own from the press to the release: its drags and its release are not
    // reported, wherever the release happens.
    void setOwnWindows(std::function<bool(xcb_window_t)> isOwn) { isOwn_ = std::move(isOwn); }

  private:
    void onEvent(const xcb_generic_event_t& event);
    void onRawEvent(const RawInputEvent& raw, const xcb_generic_event_t& event);
    void onButton(const RawInputEvent& raw, const xcb_generic_event_t& event);
    void reportDrag();
    bool pointerOverOwnWindow();
    void updateSelection();
    std::uint32_t wantedEvents() const;

    X11Connection& connection_;
    X11RawInput raw_;
    X11InputButton button_;
    InputHandlers<> dragHandlers_;
    InputHandlers<> upHandlers_;
    MonitorToken nextToken_ = 1;
    // Motion heard in the batch at hand and not reported yet.
    bool dragPending_ = false;
    std::function<bool(xcb_window_t)> isOwn_;
    // The button is held in a gesture that began on one of our windows.
    bool ownGesture_ = false;
    // Last, so that no event reaches a half-destroyed object.
    X11Connection::Subscription subscription_;
};

} // namespace vantile
