#include "window/x11/x11_window_backend.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "window/x11/x11_coordinates.h"
#include "window/x11/x11_monitors.h"
#include "window/x11/x11_properties.h"
#include "window/x11/x11_window_geometry.h"
#include "window/x11/x11_window_state.h"

namespace vantile {
namespace {

constexpr std::array<std::string_view, 17> kAtoms = {
    "_NET_SUPPORTING_WM_CHECK",
    "_NET_SUPPORTED",
    "_NET_ACTIVE_WINDOW",
    "_NET_CLIENT_LIST",
    "_NET_WM_PID",
    "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_DESKTOP",
    "_NET_WM_WINDOW_TYPE_DOCK",
    "_NET_WM_STATE",
    "_NET_WM_STATE_MAXIMIZED_VERT",
    "_NET_WM_STATE_MAXIMIZED_HORZ",
    "_NET_WM_STATE_FULLSCREEN",
    "_NET_FRAME_EXTENTS",
    "_GTK_FRAME_EXTENTS",
    "_NET_MOVERESIZE_WINDOW",
    "_NET_REQUEST_FRAME_EXTENTS",
    "WM_STATE",
};

bool contains(const std::vector<std::uint32_t>& values, std::uint32_t value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

std::optional<std::uint32_t> first(const std::optional<std::vector<std::uint32_t>>& values) {
    if (!values || values->empty()) {
        return std::nullopt;
    }
    return values->front();
}

xcb_window_t toWindow(const WindowRef& window) {
    return static_cast<xcb_window_t>(window.id);
}

std::int64_t appIdFor(xcb_window_t window, std::optional<std::uint32_t> pid) {
    return pid && *pid > 0 ? std::int64_t{*pid} : -std::int64_t{window};
}

} // namespace

X11WindowBackend::X11WindowBackend(X11Connection& connection)
    : connection_(connection), barrier_(connection) {
    connection_.internAtoms(kAtoms);
}

bool X11WindowBackend::isTrusted() {
    const xcb_window_t root = connection_.root();
    PendingProperty checkRequest = requestProperty(
        connection_, root, connection_.atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 1);
    PendingProperty supportedRequest =
        requestProperty(connection_, root, connection_.atom("_NET_SUPPORTED"), XCB_ATOM_ATOM);
    const std::optional<std::uint32_t> check = first(takeValues(checkRequest, XCB_ATOM_WINDOW));
    const auto supported = takeValues(supportedRequest, XCB_ATOM_ATOM);
    if (!check || *check == XCB_WINDOW_NONE || !supported ||
        !contains(*supported, connection_.atom("_NET_ACTIVE_WINDOW"))) {
        return false;
    }
    // A window manager that died leaves its property behind on the root; its check window
    // then no longer exists or no longer points at itself.
    PendingProperty selfRequest = requestProperty(
        connection_, *check, connection_.atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 1);
    return first(takeValues(selfRequest, XCB_ATOM_WINDOW)) == check;
}

std::optional<xcb_window_t> X11WindowBackend::activeWindow() {
    PendingProperty request =
        requestProperty(connection_, connection_.root(), connection_.atom("_NET_ACTIVE_WINDOW"),
                        XCB_ATOM_WINDOW, 1);
    const std::optional<std::uint32_t> active = first(takeValues(request, XCB_ATOM_WINDOW));
    if (!active || *active == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    return *active;
}

std::optional<AppRef> X11WindowBackend::focusedApplication() {
    const std::optional<xcb_window_t> active = activeWindow();
    if (!active) {
        return std::nullopt;
    }
    PendingProperty typeRequest = requestProperty(
        connection_, *active, connection_.atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM);
    PendingProperty pidRequest = requestProperty(
        connection_, *active, connection_.atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 1);
    const auto types = takeValues(typeRequest, XCB_ATOM_ATOM);
    const auto pid = takeValues(pidRequest, XCB_ATOM_CARDINAL);
    if (!types || !pid) {
        return std::nullopt;
    }
    // The desktop and panels can hold the focus, but they are not windows anyone means to move.
    if (contains(*types, connection_.atom("_NET_WM_WINDOW_TYPE_DESKTOP")) ||
        contains(*types, connection_.atom("_NET_WM_WINDOW_TYPE_DOCK"))) {
        return std::nullopt;
    }
    return AppRef{appIdFor(*active, first(pid))};
}

bool X11WindowBackend::exists(xcb_window_t window) {
    return takeReply(connection_, &xcb_get_window_attributes_reply,
                     xcb_get_window_attributes(connection_.raw(), window)) != nullptr;
}

bool X11WindowBackend::belongsTo(xcb_window_t window, const AppRef& app) {
    if (app.pid < 0) {
        return std::int64_t{window} == -app.pid && exists(window);
    }
    return processId(WindowRef{window}) == app.pid;
}

std::optional<WindowRef> X11WindowBackend::focusedWindow(const AppRef& app) {
    const std::optional<xcb_window_t> active = activeWindow();
    if (!active || !belongsTo(*active, app)) {
        return std::nullopt;
    }
    return WindowRef{*active};
}

std::optional<WindowRef> X11WindowBackend::mainWindow(const AppRef& app) {
    return focusedWindow(app);
}

std::optional<std::vector<WindowRef>> X11WindowBackend::windowList(const AppRef& app) {
    if (app.pid < 0) {
        const auto window = static_cast<xcb_window_t>(-app.pid);
        if (!exists(window)) {
            return std::nullopt;
        }
        return std::vector<WindowRef>{WindowRef{window}};
    }
    PendingProperty listRequest = requestProperty(
        connection_, connection_.root(), connection_.atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    const auto clients = takeValues(listRequest, XCB_ATOM_WINDOW);
    if (!clients) {
        return std::nullopt;
    }
    std::vector<PendingProperty> pidRequests;
    for (std::uint32_t client : *clients) {
        pidRequests.push_back(requestProperty(connection_, client, connection_.atom("_NET_WM_PID"),
                                              XCB_ATOM_CARDINAL, 1));
    }
    std::vector<WindowRef> windows;
    for (std::size_t i = 0; i < clients->size(); ++i) {
        const auto pid = first(takeValues(pidRequests[i], XCB_ATOM_CARDINAL));
        if (pid && std::int64_t{*pid} == app.pid) {
            windows.push_back(WindowRef{(*clients)[i]});
        }
    }
    return windows;
}

std::optional<Rect> X11WindowBackend::visibleFrame(xcb_window_t window) {
    MonitorLayoutRequest layoutRequest(connection_);
    WindowGeometryRequest geometryRequest(connection_, window);
    const MonitorLayout layout = layoutRequest.get();
    const std::optional<WindowGeometry> geometry = geometryRequest.get();
    if (!geometry) {
        return std::nullopt;
    }
    const Rect visible = geometry->visible();
    const Point origin = rootToWindowSpace(visible.origin(), layout.primary());
    return Rect{origin.x, origin.y, visible.width, visible.height};
}

AttributeRead<Point> X11WindowBackend::position(const WindowRef& window) {
    const std::optional<Rect> frame = visibleFrame(toWindow(window));
    return frame ? AttributeRead<Point>::of(frame->origin()) : AttributeRead<Point>::failed();
}

AttributeRead<Size> X11WindowBackend::size(const WindowRef& window) {
    const std::optional<Rect> frame = visibleFrame(toWindow(window));
    return frame ? AttributeRead<Size>::of(frame->size()) : AttributeRead<Size>::failed();
}

void X11WindowBackend::writeFrame(xcb_window_t window, const Rect& visible,
                                  MoveResizeFields fields) {
    MonitorLayoutRequest layoutRequest(connection_);
    DecorationsRequest decorationsRequest(connection_, window);
    PendingProperty supportedRequest = requestProperty(
        connection_, connection_.root(), connection_.atom("_NET_SUPPORTED"), XCB_ATOM_ATOM);
    const MonitorLayout layout = layoutRequest.get();
    const std::optional<Decorations> decorations = decorationsRequest.get();
    const auto supported = takeValues(supportedRequest, XCB_ATOM_ATOM);
    if (!decorations) {
        return;
    }
    const Point rootOrigin = windowSpaceToRoot(visible.origin(), layout.primary());
    const Rect rootVisible{rootOrigin.x, rootOrigin.y, visible.width, visible.height};
    const bool moveResize =
        supported && contains(*supported, connection_.atom("_NET_MOVERESIZE_WINDOW"));
    requestClientRect(connection_, window,
                      clientRectFor(rootVisible, decorations->frame, decorations->shadow), fields,
                      moveResize);
    connection_.drainEvents();
}

void X11WindowBackend::setPosition(const WindowRef& window, const Point& position) {
    writeFrame(toWindow(window), Rect{position.x, position.y, 1, 1}, MoveResizeFields::position);
}

void X11WindowBackend::setSize(const WindowRef& window, const Size& size) {
    writeFrame(toWindow(window), Rect{0, 0, size.width, size.height}, MoveResizeFields::size);
}

void X11WindowBackend::raise(const WindowRef& window) {
    const xcb_window_t target = toWindow(window);
    if (leaveMaximizedStates(connection_, target, barrier_)) {
        // Openbox puts the restored frame where the client stood before, yet records the client
        // there, and ignores a later move to that spot as one to where the window already is.
        // Writing the frame where it really stands makes the record true again.
        if (const std::optional<Rect> frame = visibleFrame(target)) {
            writeFrame(target, *frame, MoveResizeFields::position);
        }
    }
    sendToWindowManager(connection_, target, connection_.atom("_NET_ACTIVE_WINDOW"),
                        {kSourcePager, XCB_CURRENT_TIME, 0, 0, 0});
    connection_.flush();
    connection_.drainEvents();
}

std::optional<std::int64_t> X11WindowBackend::processId(const WindowRef& window) {
    PendingProperty request = requestProperty(
        connection_, toWindow(window), connection_.atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 1);
    const std::optional<std::uint32_t> pid = first(takeValues(request, XCB_ATOM_CARDINAL));
    if (!pid || *pid == 0) {
        return std::nullopt;
    }
    return std::int64_t{*pid};
}

std::optional<bool> X11WindowBackend::enhancedUserInterface(const AppRef&) {
    return std::nullopt;
}

// The mode belongs to another platform's accessibility layer; X has nothing to switch.
void X11WindowBackend::setEnhancedUserInterface(const AppRef&, bool) {}

} // namespace vantile
