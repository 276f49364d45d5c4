#include "support/client_window.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "support/titled_windows.h"
#include "support/wait.h"

namespace vantile::test {

namespace {

constexpr auto kDeadline = 5000ms;

// A 32-bit client message about the window, sent to the root where window managers hear requests.
void sendToRoot(xcb_connection_t* c, xcb_window_t root, xcb_window_t window, xcb_atom_t type,
                std::array<std::uint32_t, 5> data) {
    xcb_client_message_event_t event{XCB_CLIENT_MESSAGE, 32, 0, window, type, {}};
    std::ranges::copy(data, event.data.data32);
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
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
    const std::uint32_t values[] = {screen.white_pixel, XCB_EVENT_MASK_KEY_PRESS};
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
    // No _NET_WM_PING, as xterm has none: nothing needs to answer the window manager.
    writeProperty32(c, id_, atoms_("WM_PROTOCOLS"), XCB_ATOM_ATOM, {atoms_("WM_DELETE_WINDOW")});
    // The user's position and size (so window managers keep them), the minimum size when there is
    // one, north-west gravity.
    const Size min = options_.minSize.value_or(Size{});
    const int flags = 1 | 2 | 512 | (options_.minSize ? 16 : 0);
    std::vector<int> hints = {flags,           options_.x,     options_.y,     options_.width,
                              options_.height, int(min.width), int(min.height)};
    hints.resize(18);
    hints[17] = 1;
    writeProperty32(c, id_, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS,
                    {hints.begin(), hints.end()});
    // Input and initial state given: takes the focus, starts out normal.
    writeProperty32(c, id_, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, {3, 1, 1, 0, 0, 0, 0, 0, 0});
    writeProperty32(
        c, id_, atoms_("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM,
        {atoms_(options_.dock ? "_NET_WM_WINDOW_TYPE_DOCK" : "_NET_WM_WINDOW_TYPE_NORMAL")});
    if (const auto& strut = options_.strutPartial) {
        writeProperty32(c, id_, atoms_("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL,
                        {strut->begin(), strut->end()});
    }
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
           (options_.dock || !supports("_NET_CLIENT_LIST") || listedAsClient());
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
    sendToRoot(connection(), root_, id_, atoms_("_NET_ACTIVE_WINDOW"), {2, XCB_CURRENT_TIME});
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

// Without _NET_FRAME_EXTENTS, the frame the window manager put the client in (its X border
// included) is what the user sees.
std::optional<Rect> ClientWindow::measureVisibleFrame() {
    xcb_connection_t* c = connection();
    const auto frame = readProperty32(c, id_, atoms_("_NET_FRAME_EXTENTS"));
    XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, id_), nullptr));
    if (!frame && tree && tree->parent != root_) {
        return rootRectOf(c, tree->parent);
    }
    const auto client = rootRectOf(c, id_, false);
    const auto shadow = readProperty32(c, id_, atoms_("_GTK_FRAME_EXTENTS"))
                            .value_or(std::vector<std::uint32_t>(4, 0));
    const auto extents = frame.value_or(std::vector<std::uint32_t>(4, 0));
    const auto side = [&](std::size_t i) { return double(extents.at(i)) - shadow.at(i); };
    return client ? std::optional(Rect{client->x - side(0), client->y - side(2),
                                       client->width + side(0) + side(1),
                                       client->height + side(2) + side(3)})
                  : std::nullopt;
}

Rect ClientWindow::visibleFrameInRoot() {
    const auto frame = measureVisibleFrame();
    if (!frame) {
        throw HarnessError("cannot measure window " + std::to_string(id_));
    }
    return *frame;
}

::testing::AssertionResult ClientWindow::landsAt(const Rect& target, double tolerance) {
    std::optional<Rect> frame;
    const auto near = [&](double a, double b) { return std::abs(a - b) <= tolerance; };
    if (waitUntil(
            [&] {
                frame = measureVisibleFrame();
                return frame && near(frame->x, target.x) && near(frame->y, target.y) &&
                       near(frame->width, target.width) && near(frame->height, target.height);
            },
            3000ms)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "the window stands at " << (frame ? describe(*frame) : "nowhere") << ", not at "
           << describe(target);
}

void ClientWindow::destroy() {
    xcb_destroy_window(connection(), id_);
    xcb_flush(connection());
    if (!waitUntil([&] { return !listedAsClient(); }, kDeadline)) {
        throw HarnessError("the window manager still lists the destroyed window after 5 s");
    }
}

std::vector<xcb_keycode_t> ClientWindow::keyPresses() {
    roundTrip(connection());
    std::vector<xcb_keycode_t> keys;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection())) {
        if ((event->response_type & 0x7f) == XCB_KEY_PRESS) {
            keys.push_back(reinterpret_cast<xcb_key_press_event_t*>(event)->detail);
        }
        std::free(event);
    }
    return keys;
}

} // namespace vantile::test
