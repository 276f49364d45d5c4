#include "support/client_window.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "support/ewmh.h"
#include "support/harness_error.h"
#include "support/wait.h"
#include "support/x_server.h"

namespace vantile::test {

namespace {

constexpr auto kManageDeadline = 5000ms;
constexpr auto kUnmanageDeadline = 5000ms;
constexpr std::uint32_t kNormalState = 1;
constexpr std::size_t kWmHintItems = 9;
constexpr std::uint32_t kInputHint = 1U << 0;
constexpr std::uint32_t kStateHint = 1U << 1;
constexpr std::size_t kStrutItems = 4;

std::string hostName() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}

} // namespace

std::unique_ptr<ClientWindow> ClientWindow::create(XServer& server, ClientWindowOptions options) {
    std::unique_ptr<ClientWindow> window(
        new ClientWindow(connectToDisplay(server.display()), server.root(), std::move(options)));
    window->createWindow(*xcb_setup_roots_iterator(xcb_get_setup(window->connection())).data);
    window->writeProperties();
    roundTrip(window->connection());
    return window;
}

ClientWindow::ClientWindow(XcbConnection connection, xcb_window_t root, ClientWindowOptions options)
    : connection_(std::move(connection)), atoms_(connection_.get()), root_(root),
      options_(std::move(options)) {
    eventLoop_ = std::make_unique<ClientEventLoop>(connection_.get(), root_,
                                                   ClientProtocolAtoms{atoms_("WM_PROTOCOLS"),
                                                                       atoms_("WM_DELETE_WINDOW"),
                                                                       atoms_("_NET_WM_PING")});
}

ClientWindow::~ClientWindow() {
    if (!destroyed_ && id_ != XCB_WINDOW_NONE) {
        xcb_destroy_window(connection_.get(), id_);
        xcb_flush(connection_.get());
    }
    eventLoop_.reset();
}

void ClientWindow::createWindow(const xcb_screen_t& screen) {
    id_ = xcb_generate_id(connection_.get());
    const std::uint32_t values[] = {screen.white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                                                            XCB_EVENT_MASK_PROPERTY_CHANGE |
                                                            XCB_EVENT_MASK_FOCUS_CHANGE};
    xcb_create_window(
        connection_.get(), XCB_COPY_FROM_PARENT, id_, root_, static_cast<std::int16_t>(options_.x),
        static_cast<std::int16_t>(options_.y), static_cast<std::uint16_t>(options_.width),
        static_cast<std::uint16_t>(options_.height),
        static_cast<std::uint16_t>(options_.borderWidth), XCB_WINDOW_CLASS_INPUT_OUTPUT,
        screen.root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
}

void ClientWindow::writeProperties() {
    writeIdentity();
    writeHints();
    const xcb_atom_t type =
        atoms_(options_.windowType == WindowType::Dock ? "_NET_WM_WINDOW_TYPE_DOCK"
                                                       : "_NET_WM_WINDOW_TYPE_NORMAL");
    writeProperty32(connection_.get(), id_, atoms_("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, {type});
    if (options_.strutPartial) {
        const auto& strut = *options_.strutPartial;
        writeProperty32(connection_.get(), id_, atoms_("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL,
                        {strut.begin(), strut.end()});
        writeProperty32(connection_.get(), id_, atoms_("_NET_WM_STRUT"), XCB_ATOM_CARDINAL,
                        {strut.begin(), strut.begin() + kStrutItems});
    }
}

void ClientWindow::writeIdentity() {
    xcb_connection_t* c = connection_.get();
    writePropertyBytes(c, id_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, options_.title);
    writePropertyBytes(c, id_, atoms_("_NET_WM_NAME"), atoms_("UTF8_STRING"), options_.title);
    const std::string wmClass = options_.instanceName + '\0' + options_.className + '\0';
    writePropertyBytes(c, id_, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, wmClass);
    writePropertyBytes(c, id_, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, hostName());
    if (options_.setPid) {
        const std::uint32_t pid = options_.pid.value_or(static_cast<std::uint32_t>(getpid()));
        writeProperty32(c, id_, atoms_("_NET_WM_PID"), XCB_ATOM_CARDINAL, {pid});
    }
    writeProperty32(c, id_, atoms_("WM_PROTOCOLS"), XCB_ATOM_ATOM,
                    {atoms_("WM_DELETE_WINDOW"), atoms_("_NET_WM_PING")});
}

void ClientWindow::writeHints() {
    const auto sizeHints =
        encodeSizeHints({options_.x, options_.y, options_.width, options_.height, options_.minSize,
                         options_.maxSize, options_.resizeIncrement, options_.baseSize});
    writeProperty32(connection_.get(), id_, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS,
                    {sizeHints.begin(), sizeHints.end()});
    std::vector<std::uint32_t> wmHints(kWmHintItems, 0);
    wmHints[0] = kInputHint | kStateHint;
    wmHints[1] = 1;            // accepts input focus
    wmHints[2] = kNormalState; // starts out normal, not iconic
    writeProperty32(connection_.get(), id_, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, wmHints);
}

bool ClientWindow::listedAsClient() {
    const auto clients = clientList(connection_.get(), atoms_, root_);
    return std::find(clients.begin(), clients.end(), id_) != clients.end();
}

bool ClientWindow::isManaged(bool windowManagerRuns) {
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id_), nullptr));
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) {
        return false;
    }
    if (!windowManagerRuns) {
        return true;
    }
    const auto supports = [&](const char* hint) {
        return wmSupports(c, atoms_, root_, atoms_(hint));
    };
    return readFirst32(c, id_, atoms_("WM_STATE")) == kNormalState &&
           (!supports("_NET_FRAME_EXTENTS") ||
            readProperty32(c, id_, atoms_("_NET_FRAME_EXTENTS"))) &&
           (options_.windowType == WindowType::Dock || !supports("_NET_CLIENT_LIST") ||
            listedAsClient());
}

std::string ClientWindow::describeState() {
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id_), nullptr));
    const auto wmState = readFirst32(c, id_, atoms_("WM_STATE"));
    return "window \"" + options_.title + "\" " + hex(id_) + ": map state " +
           (attributes ? std::to_string(attributes->map_state) : "unknown") + ", WM_STATE " +
           (wmState ? std::to_string(*wmState) : "missing") + ", _NET_FRAME_EXTENTS " +
           (readProperty32(c, id_, atoms_("_NET_FRAME_EXTENTS")) ? "set" : "missing") +
           ", in _NET_CLIENT_LIST " + (listedAsClient() ? "yes" : "no");
}

bool ClientWindow::tryMap(std::chrono::milliseconds deadline) {
    const bool windowManagerRuns = supportingWmCheck(connection_.get(), atoms_, root_).has_value();
    xcb_map_window(connection_.get(), id_);
    xcb_flush(connection_.get());
    return waitUntil([&] { return isManaged(windowManagerRuns); }, deadline);
}

void ClientWindow::map() {
    if (!tryMap(kManageDeadline)) {
        throw HarnessError("the window was not managed within " +
                           std::to_string(kManageDeadline.count()) + " ms: " + describeState());
    }
}

void ClientWindow::destroy() {
    if (destroyed_) {
        return;
    }
    xcb_destroy_window(connection_.get(), id_);
    xcb_flush(connection_.get());
    destroyed_ = true;
    if (!waitUntil([&] { return !listedAsClient(); }, kUnmanageDeadline)) {
        throw HarnessError("the window manager still lists the destroyed window " + hex(id_) +
                           " after " + std::to_string(kUnmanageDeadline.count()) + " ms");
    }
}

} // namespace vantile::test
