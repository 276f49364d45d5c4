#include "support/client_window.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "support/wait.h"

namespace vantile::test {

namespace {

constexpr auto kDeadline = 5000ms;

// WM_NORMAL_HINTS: the user's position and size (so window managers keep them), north-west
// gravity, and the minimum size when there is one.
std::vector<std::uint32_t> sizeHints(const ClientWindowOptions& o) {
    const PixelSize min = o.minSize.value_or(PixelSize{});
    const int items[] = {
        1 | 2 | 512 | (o.minSize ? 16 : 0), o.x, o.y, o.width, o.height, min.width, min.height};
    std::vector<std::uint32_t> hints(std::begin(items), std::end(items));
    hints.resize(18);
    hints[17] = 1;
    return hints;
}

// A 32-bit client message about the window, sent to the root where window managers hear requests.
void sendToRoot(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window,
                xcb_atom_t type, const std::vector<std::uint32_t>& data) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::copy_n(data.begin(), std::min<std::size_t>(data.size(), 5), event.data.data32);
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}

} // namespace

std::unique_ptr<ClientWindow> ClientWindow::create(XServer& server, ClientWindowOptions options) {
    std::unique_ptr<ClientWindow> window(
        new ClientWindow(connectToDisplay(server.display()), server.root(), std::move(options)));
    roundTrip(window->connection());
    return window;
}

ClientWindow::ClientWindow(XcbConnection connection, xcb_window_t root, ClientWindowOptions options)
    : connection_(std::move(connection)), atoms_(connection_.get()), root_(root),
      options_(std::move(options)) {
    xcb_connection_t* c = connection_.get();
    const xcb_screen_t& screen = *xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    id_ = xcb_generate_id(c);
    const std::uint32_t values[] = {screen.white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                                                            XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, id_, root_, std::int16_t(options_.x),
                      std::int16_t(options_.y), std::uint16_t(options_.width),
                      std::uint16_t(options_.height), std::uint16_t(options_.borderWidth),
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen.root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const auto text = [&](xcb_atom_t property, xcb_atom_t type, const std::string& bytes) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id_, property, type, 8,
                            std::uint32_t(bytes.size()), bytes.data());
    };
    text(atoms_("_NET_WM_NAME"), atoms_("UTF8_STRING"), options_.title);
    text(XCB_ATOM_WM_CLASS, XCB_ATOM_STRING,
         std::string("vantile-test-client\0VantileTestClient\0", 38));
    if (options_.setPid) {
        writeProperty32(c, id_, atoms_("_NET_WM_PID"), XCB_ATOM_CARDINAL,
                        {options_.pid.value_or(std::uint32_t(getpid()))});
    }
    writeProperty32(c, id_, atoms_("WM_PROTOCOLS"), XCB_ATOM_ATOM,
                    {atoms_("WM_DELETE_WINDOW"), atoms_("_NET_WM_PING")});
    writeProperty32(c, id_, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, sizeHints(options_));
    // Input and initial state given: takes the focus, starts out normal.
    writeProperty32(c, id_, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, {3, 1, 1, 0, 0, 0, 0, 0, 0});
    const bool dock = options_.windowType == WindowType::Dock;
    writeProperty32(c, id_, atoms_("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM,
                    {atoms_(dock ? "_NET_WM_WINDOW_TYPE_DOCK" : "_NET_WM_WINDOW_TYPE_NORMAL")});
    if (const auto& strut = options_.strutPartial) {
        writeProperty32(c, id_, atoms_("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL,
                        {strut->begin(), strut->end()});
    }
    // The window manager's pings are answered, as a live program does; every other event is
    // read and dropped. Another thread may have queued events while waiting for a reply, which
    // poll does not announce, so the queue is also looked at every few ms.
    events_ = std::jthread([this, c, ping = atoms_("_NET_WM_PING")](std::stop_token stop) {
        pollfd watched{xcb_get_file_descriptor(c), POLLIN, 0};
        while (!stop.stop_requested() && xcb_connection_has_error(c) == 0) {
            while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(c)}) {
                auto message = *reinterpret_cast<xcb_client_message_event_t*>(event.get());
                if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE && message.format == 32 &&
                    message.data.data32[0] == ping) {
                    message.window = root_;
                    xcb_send_event(c, 0, root_,
                                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY |
                                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                                   reinterpret_cast<const char*>(&message));
                    xcb_flush(c);
                }
            }
            poll(&watched, 1, 10);
        }
    });
}

ClientWindow::~ClientWindow() {
    if (!destroyed_) {
        xcb_destroy_window(connection_.get(), id_);
        xcb_flush(connection_.get());
    }
    events_.request_stop();
    events_.join();
}

bool ClientWindow::listedAsClient() {
    const auto clients = readProperty32(connection(), root_, atoms_("_NET_CLIENT_LIST"));
    return clients && std::ranges::count(*clients, id_) > 0;
}

bool ClientWindow::isManaged(bool windowManagerRuns) {
    xcb_connection_t* c = connection();
    XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id_), nullptr));
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE || !windowManagerRuns) {
        return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    }
    const auto supported = readProperty32(c, root_, atoms_("_NET_SUPPORTED"));
    const auto supports = [&](const char* hint) {
        return supported && std::ranges::count(*supported, atoms_(hint)) > 0;
    };
    const auto state = readProperty32(c, id_, atoms_("WM_STATE"));
    return state && !state->empty() && state->front() == 1 &&
           (!supports("_NET_FRAME_EXTENTS") ||
            readProperty32(c, id_, atoms_("_NET_FRAME_EXTENTS"))) &&
           (options_.windowType == WindowType::Dock || !supports("_NET_CLIENT_LIST") ||
            listedAsClient());
}

bool ClientWindow::tryMap(std::chrono::milliseconds deadline) {
    const bool windowManagerRuns =
        readProperty32(connection(), root_, atoms_("_NET_SUPPORTING_WM_CHECK")).has_value();
    xcb_map_window(connection(), id_);
    xcb_flush(connection());
    return waitUntil([&] { return isManaged(windowManagerRuns); }, deadline);
}

void ClientWindow::map() {
    if (!tryMap(kDeadline)) {
        throw HarnessError("the window \"" + options_.title + "\" was not managed within 5 s");
    }
}

bool ClientWindow::isActive() {
    const auto active = readProperty32(connection(), root_, atoms_("_NET_ACTIVE_WINDOW"));
    return active && !active->empty() && active->front() == id_;
}

void ClientWindow::activate() {
    sendToRoot(connection(), root_, id_, atoms_("_NET_ACTIVE_WINDOW"), {2, XCB_CURRENT_TIME, 0});
    if (!waitUntil([&] { return isActive(); }, kDeadline)) {
        throw HarnessError("window " + std::to_string(id_) + " did not become active within 5 s");
    }
}

bool ClientWindow::isMaximized() {
    const auto states = readProperty32(connection(), id_, atoms_("_NET_WM_STATE"));
    return states && std::ranges::count(*states, atoms_("_NET_WM_STATE_MAXIMIZED_VERT")) &&
           std::ranges::count(*states, atoms_("_NET_WM_STATE_MAXIMIZED_HORZ"));
}

void ClientWindow::maximize() {
    sendToRoot(
        connection(), root_, id_, atoms_("_NET_WM_STATE"),
        {1, atoms_("_NET_WM_STATE_MAXIMIZED_VERT"), atoms_("_NET_WM_STATE_MAXIMIZED_HORZ"), 2});
    if (!waitUntil([&] { return isMaximized(); }, kDeadline)) {
        throw HarnessError("window " + std::to_string(id_) + " was not maximized within 5 s");
    }
}

// The window in root pixels, its X border included or not.
std::optional<Rect> ClientWindow::measure(xcb_window_t window, bool withBorder) {
    xcb_connection_t* c = connection();
    XcbReply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, window, root_, 0, 0), nullptr));
    XcbReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    if (!origin || !geometry) {
        return std::nullopt;
    }
    const double border = withBorder ? geometry->border_width : 0;
    return Rect{origin->dst_x - border, origin->dst_y - border, geometry->width + 2 * border,
                geometry->height + 2 * border};
}

std::optional<Rect> ClientWindow::measureVisibleFrame() {
    xcb_connection_t* c = connection();
    if (!readProperty32(c, id_, atoms_("_NET_FRAME_EXTENTS"))) {
        XcbReply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, id_), nullptr));
        if (tree && tree->parent != root_) {
            return measure(tree->parent, true);
        }
    }
    const auto client = measure(id_, false);
    if (!client) {
        return std::nullopt;
    }
    const auto frame = readProperty32(c, id_, atoms_("_NET_FRAME_EXTENTS"))
                           .value_or(std::vector<std::uint32_t>(4, 0));
    const auto shadow = readProperty32(c, id_, atoms_("_GTK_FRAME_EXTENTS"))
                            .value_or(std::vector<std::uint32_t>(4, 0));
    const auto side = [&](std::size_t i) { return double(frame.at(i)) - shadow.at(i); };
    const double left = side(0), right = side(1), top = side(2), bottom = side(3);
    return Rect{client->x - left, client->y - top, client->width + left + right,
                client->height + top + bottom};
}

Rect ClientWindow::visibleFrameInRoot() {
    const auto frame = measureVisibleFrame();
    if (!frame) {
        throw HarnessError("cannot measure window " + std::to_string(id_));
    }
    return lastSeenFrame_ = *frame;
}

bool ClientWindow::waitForVisibleFrame(const Rect& expected, std::chrono::milliseconds deadline,
                                       double tolerance) {
    return waitUntil(
        [&] {
            const auto frame = measureVisibleFrame();
            lastSeenFrame_ = frame.value_or(lastSeenFrame_);
            return frame && std::abs(frame->x - expected.x) <= tolerance &&
                   std::abs(frame->y - expected.y) <= tolerance &&
                   std::abs(frame->width - expected.width) <= tolerance &&
                   std::abs(frame->height - expected.height) <= tolerance;
        },
        deadline);
}

void ClientWindow::destroy() {
    if (destroyed_) {
        return;
    }
    xcb_destroy_window(connection(), id_);
    xcb_flush(connection());
    destroyed_ = true;
    if (!waitUntil([&] { return !listedAsClient(); }, kDeadline)) {
        throw HarnessError("the window manager still lists the destroyed window after 5 s");
    }
}

} // namespace vantile::test
