#include "backends/x11/x11_applications.h"

#include "backends/x11/x11_properties.h"
#include "backends/x11/x11_reply.h"

namespace vantile {
namespace {

std::int64_t appIdFor(xcb_window_t window, std::optional<std::uint32_t> pid) {
    return pid && *pid > 0 ? std::int64_t{*pid} : -std::int64_t{window};
}

bool belongsTo(X11Connection& connection, xcb_window_t window, const AppRef& app) {
    if (app.pid < 0) {
        return std::int64_t{window} == -app.pid && windowExists(connection, window);
    }
    return processIdOf(connection, window) == app.pid;
}

std::vector<xcb_window_t> withPid(X11Connection& connection,
                                  const std::vector<std::uint32_t>& windows, std::int64_t pid) {
    std::vector<PendingProperty> requests;
    for (std::uint32_t window : windows) {
        requests.push_back(requestProperty(connection, window, connection.atom("_NET_WM_PID"),
                                           XCB_ATOM_CARDINAL, 1));
    }
    std::vector<xcb_window_t> matching;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const auto windowPid = firstValue(takeValues(requests[i], XCB_ATOM_CARDINAL));
        if (windowPid && std::int64_t{*windowPid} == pid) {
            matching.push_back(windows[i]);
        }
    }
    return matching;
}

} // namespace

bool windowManagerAnnounced(X11Connection& connection) {
    const xcb_atom_t checkAtom = connection.atom("_NET_SUPPORTING_WM_CHECK");
    PendingProperty checkRequest =
        requestProperty(connection, connection.root(), checkAtom, XCB_ATOM_WINDOW, 1);
    PendingProperty supportedRequest = requestProperty(
        connection, connection.root(), connection.atom("_NET_SUPPORTED"), XCB_ATOM_ATOM);
    const auto check = firstValue(takeValues(checkRequest, XCB_ATOM_WINDOW));
    const auto supported = takeValues(supportedRequest, XCB_ATOM_ATOM);
    if (!check || *check == XCB_WINDOW_NONE || !supported ||
        !listsValue(*supported, connection.atom("_NET_ACTIVE_WINDOW"))) {
        return false;
    }
    // A window manager that died leaves its property behind on the root; its check window
    // then no longer exists or no longer names itself.
    PendingProperty selfRequest =
        requestProperty(connection, *check, checkAtom, XCB_ATOM_WINDOW, 1);
    return firstValue(takeValues(selfRequest, XCB_ATOM_WINDOW)) == check;
}

std::optional<std::string> windowManagerName(X11Connection& connection) {
    PendingProperty checkRequest =
        requestProperty(connection, connection.root(), connection.atom("_NET_SUPPORTING_WM_CHECK"),
                        XCB_ATOM_WINDOW, 1);
    const auto check = firstValue(takeValues(checkRequest, XCB_ATOM_WINDOW));
    if (!check || *check == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    auto reply =
        takeReply(connection, &xcb_get_property_reply,
                  xcb_get_property(connection.raw(), 0, *check, connection.atom("_NET_WM_NAME"),
                                   connection.atom("UTF8_STRING"), 0, 64));
    if (!reply || reply->format != 8) {
        return std::nullopt;
    }
    const auto* text = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(text, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

std::optional<xcb_window_t> activeWindow(X11Connection& connection) {
    PendingProperty request = requestProperty(
        connection, connection.root(), connection.atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 1);
    const auto active = firstValue(takeValues(request, XCB_ATOM_WINDOW));
    if (!active || *active == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    return *active;
}

std::optional<AppRef> focusedApplication(X11Connection& connection) {
    const std::optional<xcb_window_t> active = activeWindow(connection);
    if (!active) {
        return std::nullopt;
    }
    PendingProperty typeRequest =
        requestProperty(connection, *active, connection.atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM);
    PendingProperty pidRequest =
        requestProperty(connection, *active, connection.atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 1);
    const auto types = takeValues(typeRequest, XCB_ATOM_ATOM);
    const auto pid = takeValues(pidRequest, XCB_ATOM_CARDINAL);
    if (!types || !pid) {
        return std::nullopt;
    }
    // The desktop and panels can hold the focus, but they are not windows anyone means to move.
    if (listsValue(*types, connection.atom("_NET_WM_WINDOW_TYPE_DESKTOP")) ||
        listsValue(*types, connection.atom("_NET_WM_WINDOW_TYPE_DOCK"))) {
        return std::nullopt;
    }
    return AppRef{appIdFor(*active, firstValue(pid))};
}

std::optional<xcb_window_t> focusedWindowOf(X11Connection& connection, const AppRef& app) {
    const std::optional<xcb_window_t> active = activeWindow(connection);
    if (!active || !belongsTo(connection, *active, app)) {
        return std::nullopt;
    }
    return active;
}

std::optional<std::vector<xcb_window_t>> windowsOf(X11Connection& connection, const AppRef& app) {
    if (app.pid < 0) {
        const auto window = static_cast<xcb_window_t>(-app.pid);
        if (!windowExists(connection, window)) {
            return std::nullopt;
        }
        return std::vector<xcb_window_t>{window};
    }
    PendingProperty listRequest = requestProperty(
        connection, connection.root(), connection.atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    const auto clients = takeValues(listRequest, XCB_ATOM_WINDOW);
    if (!clients) {
        return std::nullopt;
    }
    return withPid(connection, *clients, app.pid);
}

std::optional<std::int64_t> processIdOf(X11Connection& connection, xcb_window_t window) {
    PendingProperty request =
        requestProperty(connection, window, connection.atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 1);
    const auto pid = firstValue(takeValues(request, XCB_ATOM_CARDINAL));
    if (!pid || *pid == 0) {
        return std::nullopt;
    }
    return std::int64_t{*pid};
}

bool windowExists(X11Connection& connection, xcb_window_t window) {
    return takeReply(connection, &xcb_get_window_attributes_reply,
                     xcb_get_window_attributes(connection.raw(), window)) != nullptr;
}

} // namespace vantile
