#include "window/x11/x11_screen_changes.h"

#include <xcb/randr.h>

#include <array>
#include <optional>
#include <utility>

#include "window/x11/x11_properties.h"
#include "window/x11/x11_reply.h"

namespace vantile {
namespace {

// The root's own size and configuration (StructureNotify), its children mapping and unmapping
// (SubstructureNotify) and its properties. Never SubstructureRedirect: that is the window
// manager's, and asking for it would fail or, without one running, stand in its place.
constexpr std::uint32_t kRootEvents = XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                                      XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY |
                                      XCB_EVENT_MASK_PROPERTY_CHANGE;

constexpr std::uint16_t kRandrScreenEvents = XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE;
constexpr std::uint16_t kRandrEvents = XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE |
                                       XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                       XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE;

// On windows that may carry struts: their properties, and their own mapping and unmapping.
constexpr std::uint32_t kWatchedWindowEvents =
    XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;

// A _NET_WM_STRUT_PARTIAL holds 12 values, a _NET_WM_STRUT 4.
constexpr std::uint32_t kPartialStrutValues = 12;
constexpr std::uint32_t kLegacyStrutValues = 4;

constexpr std::uint8_t kEventTypeMask = 0x7f;

using Attributes = ReplyPtr<xcb_get_window_attributes_reply_t>;
using PendingAttributes = Pending<&xcb_get_window_attributes_reply>;

// The attributes of each window, null for windows that have gone; one round trip for all.
std::vector<Attributes> readAttributes(X11Connection& connection,
                                       const std::vector<xcb_window_t>& windows) {
    std::vector<PendingAttributes> requests;
    requests.reserve(windows.size());
    for (xcb_window_t window : windows) {
        requests.emplace_back(connection, xcb_get_window_attributes(connection.raw(), window));
    }
    std::vector<Attributes> replies;
    replies.reserve(windows.size());
    for (PendingAttributes& request : requests) {
        replies.push_back(request.get());
    }
    return replies;
}

// Adds to the events this client hears on each window, keeping the ones it selected before:
// other parts of the program select their own on the same windows.
void addEventMask(X11Connection& connection, const std::vector<xcb_window_t>& windows,
                  std::uint32_t mask) {
    const std::vector<Attributes> attributes = readAttributes(connection, windows);
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (attributes[i] && (attributes[i]->your_event_mask & mask) != mask) {
            const std::uint32_t value = attributes[i]->your_event_mask | mask;
            xcb_change_window_attributes(connection.raw(), windows[i], XCB_CW_EVENT_MASK, &value);
        }
    }
}

// The window a map or unmap notification is about, and the one whose events it was heard on:
// the root for its children, else the window itself.
struct Mapping {
    xcb_window_t heardOn = XCB_WINDOW_NONE;
    xcb_window_t window = XCB_WINDOW_NONE;
};

Mapping mappingOf(bool mapped, const xcb_generic_event_t& event) {
    if (mapped) {
        const auto& map = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        return {map.event, map.window};
    }
    const auto& unmap = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
    return {unmap.event, unmap.window};
}

bool carries(const std::optional<std::vector<std::uint32_t>>& values) {
    return values && !values->empty();
}

} // namespace

X11ScreenChanges::X11ScreenChanges(X11Connection& connection)
    : connection_(connection), workArea_(connection.atom("_NET_WORKAREA")),
      clientList_(connection.atom("_NET_CLIENT_LIST")),
      strutPartial_(connection.atom("_NET_WM_STRUT_PARTIAL")),
      strut_(connection.atom("_NET_WM_STRUT")) {
    subscription_ = connection_.addEventHandler(
        [this](const xcb_generic_event_t& event) { onEvent(event); }, [this] { onDrained(); });
    selectRootEvents();
    readMappedRootChildren();
    // What is there at the start is the configuration later changes are measured against.
    clientListChanged_ = true;
    updateWatchedWindows();
    connection_.flush();
}

void X11ScreenChanges::setHandler(std::function<void()> handler) {
    handler_ = std::move(handler);
}

void X11ScreenChanges::selectRootEvents() {
    const xcb_query_extension_reply_t* randr =
        xcb_get_extension_data(connection_.raw(), &xcb_randr_id);
    if (randr != nullptr && randr->present != 0) {
        hasRandr_ = true;
        randrFirstEvent_ = randr->first_event;
        // CRTC and output notifications came with RandR 1.2, which every server that offers
        // monitors has; without monitors the root's size is all that counts.
        const std::uint16_t mask =
            connection_.hasRandrMonitors() ? kRandrEvents : kRandrScreenEvents;
        xcb_randr_select_input(connection_.raw(), connection_.root(), mask);
    }
    addEventMask(connection_, {connection_.root()}, kRootEvents);
}

// Asked after the root's children are heard, so that a window mapped in between is either in
// the answer or announced by an event, and perhaps both.
void X11ScreenChanges::readMappedRootChildren() {
    auto tree = takeReply(connection_, &xcb_query_tree_reply,
                          xcb_query_tree(connection_.raw(), connection_.root()));
    if (!tree) {
        return;
    }
    const xcb_window_t* first = xcb_query_tree_children(tree.get());
    const std::vector<xcb_window_t> children(first,
                                             first + xcb_query_tree_children_length(tree.get()));
    const std::vector<Attributes> attributes = readAttributes(connection_, children);
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (attributes[i] && attributes[i]->map_state == XCB_MAP_STATE_VIEWABLE) {
            mappedRootChildren_.insert(children[i]);
        }
    }
}

void X11ScreenChanges::onEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & kEventTypeMask;
    switch (type) {
    case XCB_CONFIGURE_NOTIFY:
        // Every top-level window's moves arrive here too; only the root's own configuration
        // counts, and it is the only sign Xvfb gives of monitors set or deleted.
        if (reinterpret_cast<const xcb_configure_notify_event_t&>(event).window ==
            connection_.root()) {
            changed_ = true;
        }
        return;
    case XCB_MAP_NOTIFY:
    case XCB_UNMAP_NOTIFY:
        onMapping(type, event);
        return;
    case XCB_REPARENT_NOTIFY:
        onReparent(reinterpret_cast<const xcb_reparent_notify_event_t&>(event));
        return;
    case XCB_PROPERTY_NOTIFY:
        onPropertyChange(reinterpret_cast<const xcb_property_notify_event_t&>(event));
        return;
    default:
        if (isRandrChange(event)) {
            changed_ = true;
        }
    }
}

bool X11ScreenChanges::isRandrChange(const xcb_generic_event_t& event) const {
    if (!hasRandr_) {
        return false;
    }
    const int offset = (event.response_type & kEventTypeMask) - randrFirstEvent_;
    if (offset == XCB_RANDR_SCREEN_CHANGE_NOTIFY) {
        return true;
    }
    if (offset != XCB_RANDR_NOTIFY) {
        return false;
    }
    const std::uint8_t kind = reinterpret_cast<const xcb_randr_notify_event_t&>(event).subCode;
    return kind == XCB_RANDR_NOTIFY_CRTC_CHANGE || kind == XCB_RANDR_NOTIFY_OUTPUT_CHANGE;
}

// Keeps the set of mapped root children; which of them carry struts is learnt once the batch is
// drained, with one round trip for all. A watched window that carries a strut and maps or
// unmaps itself (a panel the window manager framed, or hid) is a change at once.
void X11ScreenChanges::onMapping(std::uint8_t type, const xcb_generic_event_t& event) {
    const xcb_window_t root = connection_.root();
    const bool mapped = type == XCB_MAP_NOTIFY;
    const Mapping mapping = mappingOf(mapped, event);
    if (mapping.heardOn != root) {
        changed_ = changed_ || carriesStrut(mapping.window);
        return;
    }
    const bool moved = mapped ? mappedRootChildren_.insert(mapping.window).second
                              : mappedRootChildren_.erase(mapping.window) > 0;
    membershipChanged_ = membershipChanged_ || moved;
}

// A child taken into a frame is no longer the root's.
void X11ScreenChanges::onReparent(const xcb_reparent_notify_event_t& event) {
    if (event.event == connection_.root() && event.parent != connection_.root() &&
        mappedRootChildren_.erase(event.window) > 0) {
        membershipChanged_ = true;
    }
}

bool X11ScreenChanges::carriesStrut(xcb_window_t window) const {
    const auto found = watched_.find(window);
    return found != watched_.end() && found->second != kNoStrut;
}

void X11ScreenChanges::onPropertyChange(const xcb_property_notify_event_t& event) {
    if (event.window == connection_.root()) {
        if (event.atom == workArea_) {
            changed_ = true;
        } else if (event.atom == clientList_) {
            clientListChanged_ = true;
        }
        return;
    }
    if (event.atom != strutPartial_ && event.atom != strut_) {
        return;
    }
    const auto found = watched_.find(event.window);
    if (found == watched_.end()) {
        return;
    }
    const std::uint8_t bit = event.atom == strutPartial_ ? kPartialStrut : kLegacyStrut;
    if (event.state == XCB_PROPERTY_NEW_VALUE) {
        found->second |= bit;
    } else {
        found->second &= static_cast<std::uint8_t>(~bit);
    }
    changed_ = true;
}

void X11ScreenChanges::onDrained() {
    if (updateWatchedWindows()) {
        changed_ = true;
    }
    if (std::exchange(changed_, false)) {
        report();
    }
}

// Brings the watched windows in line with the listed clients and the mapped root children.
// True when a window that carries a strut arrived.
bool X11ScreenChanges::updateWatchedWindows() {
    if (std::exchange(clientListChanged_, false)) {
        const std::vector<xcb_window_t> listed = readClientList();
        listedClients_ = std::set<xcb_window_t>(listed.begin(), listed.end());
        membershipChanged_ = true;
    }
    if (!std::exchange(membershipChanged_, false)) {
        return false;
    }
    const auto belongs = [&](xcb_window_t window) {
        return listedClients_.contains(window) || mappedRootChildren_.contains(window);
    };
    // One that carries a strut and leaves has unmapped itself, which was a change already.
    std::erase_if(watched_, [&](const auto& entry) { return !belongs(entry.first); });
    std::set<xcb_window_t> arriving;
    for (const std::set<xcb_window_t>* group : {&listedClients_, &mappedRootChildren_}) {
        for (xcb_window_t window : *group) {
            if (!watched_.contains(window)) {
                arriving.insert(window);
            }
        }
    }
    bool strutArrived = false;
    for (const auto& [window, bits] :
         watch(std::vector<xcb_window_t>(arriving.begin(), arriving.end()))) {
        watched_[window] = bits;
        strutArrived = strutArrived || bits != kNoStrut;
    }
    return strutArrived;
}

std::vector<xcb_window_t> X11ScreenChanges::readClientList() {
    PendingProperty request =
        requestProperty(connection_, connection_.root(), clientList_, XCB_ATOM_WINDOW);
    const auto values = takeValues(request, XCB_ATOM_WINDOW);
    return values ? std::vector<xcb_window_t>(values->begin(), values->end())
                  : std::vector<xcb_window_t>{};
}

// Hears the windows' changes first and reads their struts second, so that a change
// falling between the two is still heard. Windows that have gone are kept as carrying none.
std::map<xcb_window_t, std::uint8_t>
X11ScreenChanges::watch(const std::vector<xcb_window_t>& windows) {
    std::map<xcb_window_t, std::uint8_t> struts;
    if (windows.empty()) {
        return struts;
    }
    addEventMask(connection_, windows, kWatchedWindowEvents);
    std::vector<std::array<PendingProperty, 2>> requests;
    requests.reserve(windows.size());
    for (xcb_window_t window : windows) {
        requests.push_back(
            {requestProperty(connection_, window, strutPartial_, XCB_ATOM_CARDINAL,
                             kPartialStrutValues),
             requestProperty(connection_, window, strut_, XCB_ATOM_CARDINAL, kLegacyStrutValues)});
    }
    for (std::size_t i = 0; i < windows.size(); ++i) {
        std::uint8_t bits = kNoStrut;
        if (carries(takeValues(requests[i][0], XCB_ATOM_CARDINAL))) {
            bits |= kPartialStrut;
        }
        if (carries(takeValues(requests[i][1], XCB_ATOM_CARDINAL))) {
            bits |= kLegacyStrut;
        }
        struts[windows[i]] = bits;
    }
    return struts;
}

// A handler that drains the connection may meet the next change while it runs; that one is
// reported after it returns rather than inside it.
void X11ScreenChanges::report() {
    if (reporting_) {
        reportAgain_ = true;
        return;
    }
    struct Reporting {
        bool& flag;
        explicit Reporting(bool& f) : flag(f) { flag = true; }
        ~Reporting() { flag = false; }
    } reporting(reporting_);
    do {
        reportAgain_ = false;
        if (handler_) {
            // A copy: the handler may replace itself.
            const std::function<void()> handler = handler_;
            handler();
        }
    } while (reportAgain_);
}

} // namespace vantile
