// What a test client asks of the window manager (activation, maximizing) and how it measures
// where its frame is.

#include <algorithm>
#include <cmath>

#include "support/client_window.h"
#include "support/ewmh.h"
#include "support/harness_error.h"
#include "support/wait.h"

namespace vantile::test {

namespace {

constexpr auto kStateDeadline = 5000ms;
constexpr std::uint32_t kSourcePager = 2;
constexpr std::uint32_t kStateAdd = 1;
constexpr std::size_t kExtentItems = 4;

bool within(const Rect& actual, const Rect& expected, double tolerance) {
    return std::abs(actual.x - expected.x) <= tolerance &&
           std::abs(actual.y - expected.y) <= tolerance &&
           std::abs(actual.width - expected.width) <= tolerance &&
           std::abs(actual.height - expected.height) <= tolerance;
}

std::string windowName(std::optional<xcb_window_t> window) {
    return window ? std::to_string(*window) : "none";
}

} // namespace

bool ClientWindow::isActive() {
    return activeWindow(connection_.get(), atoms_, root_) == id_;
}

void ClientWindow::activate() {
    const auto active = activeWindow(connection_.get(), atoms_, root_);
    sendToRoot(connection_.get(), root_, id_, atoms_("_NET_ACTIVE_WINDOW"),
               {kSourcePager, XCB_CURRENT_TIME, active.value_or(XCB_WINDOW_NONE)});
    if (!waitUntil([&] { return isActive(); }, kStateDeadline)) {
        throw HarnessError("window " + std::to_string(id_) + " did not become active within " +
                           std::to_string(kStateDeadline.count()) + " ms; _NET_ACTIVE_WINDOW is " +
                           windowName(activeWindow(connection_.get(), atoms_, root_)));
    }
}

bool ClientWindow::isMaximized() {
    const auto states = readProperty32(connection_.get(), id_, atoms_("_NET_WM_STATE"));
    const auto has = [&](const char* state) {
        return states && std::find(states->begin(), states->end(), atoms_(state)) != states->end();
    };
    return has("_NET_WM_STATE_MAXIMIZED_VERT") && has("_NET_WM_STATE_MAXIMIZED_HORZ");
}

void ClientWindow::maximize() {
    sendToRoot(connection_.get(), root_, id_, atoms_("_NET_WM_STATE"),
               {kStateAdd, atoms_("_NET_WM_STATE_MAXIMIZED_VERT"),
                atoms_("_NET_WM_STATE_MAXIMIZED_HORZ"), kSourcePager});
    if (!waitUntil([&] { return isMaximized(); }, kStateDeadline)) {
        throw HarnessError("window " + std::to_string(id_) + " was not maximized within " +
                           std::to_string(kStateDeadline.count()) + " ms");
    }
}

FrameExtents ClientWindow::readExtents(std::string_view property) {
    const auto items = readProperty32(connection_.get(), id_, atoms_(property));
    if (!items || items->size() < kExtentItems) {
        return {};
    }
    return {(*items)[0], (*items)[1], (*items)[2], (*items)[3]};
}

FrameExtents ClientWindow::frameExtents() {
    return readExtents("_NET_FRAME_EXTENTS");
}

FrameExtents ClientWindow::clientSideShadows() {
    return readExtents("_GTK_FRAME_EXTENTS");
}

std::optional<Rect> ClientWindow::measureClientRect() {
    xcb_connection_t* c = connection_.get();
    const auto translateCookie = xcb_translate_coordinates(c, id_, root_, 0, 0);
    const auto geometryCookie = xcb_get_geometry(c, id_);
    XcbReply<xcb_translate_coordinates_reply_t> origin(
        xcb_translate_coordinates_reply(c, translateCookie, nullptr));
    XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, geometryCookie, nullptr));
    if (!origin || !geometry) {
        return std::nullopt;
    }
    return Rect{static_cast<double>(origin->dst_x), static_cast<double>(origin->dst_y),
                static_cast<double>(geometry->width), static_cast<double>(geometry->height)};
}

Rect ClientWindow::clientRectInRoot() {
    const auto rect = measureClientRect();
    if (!rect) {
        throw HarnessError("cannot measure window " + std::to_string(id_));
    }
    return *rect;
}

// Where the window manager publishes no frame extents (i3), the frame a user sees is the window
// it put the client in.
std::optional<Rect> ClientWindow::measureParentFrame() {
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, id_), nullptr));
    if (!tree || tree->parent == root_) {
        return std::nullopt;
    }
    const auto translateCookie = xcb_translate_coordinates(c, tree->parent, root_, 0, 0);
    const auto geometryCookie = xcb_get_geometry(c, tree->parent);
    XcbReply<xcb_translate_coordinates_reply_t> origin(
        xcb_translate_coordinates_reply(c, translateCookie, nullptr));
    XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, geometryCookie, nullptr));
    if (!origin || !geometry) {
        return std::nullopt;
    }
    const double border = geometry->border_width;
    return Rect{origin->dst_x - border, origin->dst_y - border, geometry->width + 2 * border,
                geometry->height + 2 * border};
}

std::optional<Rect> ClientWindow::measureVisibleFrame() {
    const auto client = measureClientRect();
    if (!client) {
        return std::nullopt;
    }
    if (!readProperty32(connection_.get(), id_, atoms_("_NET_FRAME_EXTENTS"))) {
        if (auto parent = measureParentFrame()) {
            return parent;
        }
    }
    const FrameExtents frame = frameExtents();
    const FrameExtents shadow = clientSideShadows();
    const double left = static_cast<double>(frame.left) - shadow.left;
    const double right = static_cast<double>(frame.right) - shadow.right;
    const double top = static_cast<double>(frame.top) - shadow.top;
    const double bottom = static_cast<double>(frame.bottom) - shadow.bottom;
    return Rect{client->x - left, client->y - top, client->width + left + right,
                client->height + top + bottom};
}

Rect ClientWindow::visibleFrameInRoot() {
    const auto frame = measureVisibleFrame();
    if (!frame) {
        throw HarnessError("cannot measure window " + std::to_string(id_));
    }
    lastSeenFrame_ = *frame;
    return *frame;
}

bool ClientWindow::waitForVisibleFrame(const Rect& expected, std::chrono::milliseconds deadline,
                                       double tolerance) {
    return waitUntil(
        [&] {
            const auto frame = measureVisibleFrame();
            if (frame) {
                lastSeenFrame_ = *frame;
            }
            return frame && within(*frame, expected, tolerance);
        },
        deadline);
}

void PrintTo(const FrameExtents& extents, std::ostream* out) {
    *out << "{left " << extents.left << ", right " << extents.right << ", top " << extents.top
         << ", bottom " << extents.bottom << "}";
}

} // namespace vantile::test
