#pragma once

// One connection to an X server: the root window, an atom cache, and one place where X errors are
// judged, reported and, when asked for, made fatal.

#include <xcb/xcb.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantile {

class X11Connection {
  public:
    using EventHandler = std::function<void(const xcb_generic_event_t&)>;
    using MinorNames = std::string_view (*)(std::uint16_t minorOpcode);
    using ErrorNames = std::string_view (*)(std::uint8_t offsetFromFirstError);

    // Connects to the named display (nullptr: $DISPLAY). Returns nullptr when that fails.
    static std::unique_ptr<X11Connection> open(const char* display);

    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;
    ~X11Connection();

    xcb_connection_t* raw() const { return connection_.get(); }
    xcb_window_t root() const { return root_; }
    int fileDescriptor() const;
    // True once the server has gone away; every later request then fails quietly.
    bool hasFailed() const;

    // Whether the server offers RandR 1.5 monitors.
    bool hasRandrMonitors() const { return randrMonitors_; }

    // Interned on first use, then cached for the life of the connection.
    xcb_atom_t atom(std::string_view name);
    // Interns many atoms in a single round trip.
    void internAtoms(std::span<const std::string_view> names);
    // The atoms' names, cached; unknown atoms give empty names. One round trip for all misses.
    std::vector<std::string> atomNames(std::span<const xcb_atom_t> atoms);

    // Ends a listener's share of the events when destroyed. The connection must outlive it.
    class Subscription {
      public:
        Subscription() = default;
        Subscription(Subscription&& other) noexcept;
        Subscription& operator=(Subscription&& other) noexcept;
        Subscription(const Subscription&) = delete;
        Subscription& operator=(const Subscription&) = delete;
        ~Subscription();

      private:
        friend class X11Connection;
        Subscription(X11Connection& connection, std::uint64_t id)
            : connection_(&connection), id_(id) {}
        void end();

        X11Connection* connection_ = nullptr;
        std::uint64_t id_ = 0;
    };

    // Several parts of the program listen to one connection. Each listener hears every event, and
    // then, once the queue is empty, onDrained: a change that the server announces with several
    // events can so be answered once.
    [[nodiscard]] Subscription addEventHandler(EventHandler onEvent,
                                               std::function<void()> onDrained = {});
    // Hands every event xcb has queued to the event handlers, and every error to handleError;
    // then tells the listeners that the queue is drained. Events that arrive while they answer
    // are handed on in the same way before this returns.
    void drainEvents();
    // The same for the events xcb has already read off the socket; nothing is read from it.
    void drainQueuedEvents();
    // A wait for a reply outside a drain may leave events in xcb's queue that the socket will not
    // announce again (a key press among them would keep the keyboard frozen for its grab): whoever
    // runs the event loop is then told, once until it calls drainQueuedEvents.
    void setQueuedEventsNotice(std::function<void()> notice) { notice_ = std::move(notice); }
    void waitedForServer() {
        if (draining_ == 0 && notice_ && !noticed_) {
            noticed_ = true;
            notice_();
        }
    }
    void flush();

    // In strict mode an unexpected X error aborts the process, so tests cannot overlook one.
    void setStrictErrors(bool strict) { strictErrors_ = strict; }
    // Errors that only say a window vanished are expected and stay silent; the others are
    // printed to stderr (and are fatal in strict mode).
    void handleError(const xcb_generic_error_t& error);
    // Passes the error out-parameter of a reply call to handleError and frees it; null is fine.
    void takeError(xcb_generic_error_t* error);
    // How many unexpected errors were reported so far.
    std::size_t unexpectedErrorCount() const { return unexpectedErrors_; }

    // Lets error reports name the requests of an extension. RandR is known from the start.
    void registerExtension(xcb_extension_t& extension, std::string name,
                           MinorNames minorNames = nullptr, ErrorNames errorNames = nullptr);
    // "X error BadValue (2) in request ConfigureWindow (major 12, minor 0), resource 0x400001"
    std::string describeError(const xcb_generic_error_t& error) const;

  private:
    struct Extension {
        std::string name;
        std::uint8_t majorOpcode = 0;
        std::uint8_t firstError = 0;
        MinorNames minorNames = nullptr;
        ErrorNames errorNames = nullptr;
    };
    using ConnectionPtr = std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)>;

    X11Connection(ConnectionPtr connection, xcb_window_t root);
    struct Listener {
        EventHandler onEvent;
        std::function<void()> onDrained;
        bool active = true;
    };

    void setUpRandr();
    bool dispatchQueuedEvents();
    void dispatch(const xcb_generic_event_t& event);
    void notifyDrained();
    std::vector<std::shared_ptr<Listener>> currentListeners() const;
    void removeListener(std::uint64_t id);
    std::string requestName(std::uint8_t major, std::uint16_t minor) const;
    std::string errorName(std::uint8_t code) const;

    ConnectionPtr connection_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    bool randrMonitors_ = false;
    bool strictErrors_ = false;
    int draining_ = 0;
    bool noticed_ = false;
    std::function<void()> notice_;
    std::size_t unexpectedErrors_ = 0;
    std::map<std::uint64_t, std::shared_ptr<Listener>> listeners_;
    std::uint64_t nextListenerId_ = 1;
    std::map<std::string, xcb_atom_t, std::less<>> atoms_;
    std::map<xcb_atom_t, std::string> atomNames_;
    std::vector<Extension> extensions_;
};

} // namespace vantile
