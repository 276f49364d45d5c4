#include "backends/x11/x11_applications.h"

#include "backends/x11/x11_properties.h"
#include "backends/x11/x11_reply.h"

namespace vantile {
namespace {

std::int64_t appIdFor(xcb_window_t window, std::optional<std::uint32_t> pid) {
    return pid && *pid > 0 ? std::int64_t{*pid} : -std::int64_t{window};
}

} // namespace

AnnouncementRequests askAnnouncement(X11Connection& connection, xcb_window_t known) {
    const xcb_atom_t checkAtom = connection.atom("_NET_SUPPORTING_WM_CHECK");
    AnnouncementRequests asked{
        requestProperty(connection, connection.root(), checkAtom, XCB_ATOM_WINDOW, 1),
        requestProperty(connection, connection.root(), connection.atom("_NET_SUPPORTED"),
                        XCB_ATOM_ATOM),
        known,
        {}};
    // The check window found last time is read along with the root: one round trip, not two.
    if (known != XCB_WINDOW_NONE) {
        asked.guessCheck = requestProperty(connection, known, checkAtom, XCB_ATOM_WINDOW, 1);
    }
    return asked;
}

bool takeAnnouncement(X11Connection& connection, AnnouncementRequests asked, xcb_window_t* known) {
    const auto check = firstValue(takeValues(asked.check, XCB_ATOM_WINDOW));
    const auto supported = takeValues(asked.supported, XCB_ATOM_ATOM);
    if (!check || *check == XCB_WINDOW_NONE || !supported ||
        !listsValue(*supported, connection.atom("_NET_ACTIVE_WINDOW"))) {
        return false;
    }
    // A window manager that died leaves its property behind on the root; its check window
    // then no longer exists or no longer names itself.
    if (*check != asked.guess) {
        asked.guessCheck = requestProperty(
            connection, *check, connection.atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 1);
    }
    const bool announced = firstValue(takeValues(asked.guessCheck, XCB_ATOM_WINDOW)) == check;
    if (known) {
        *known = announced ? *check : xcb_window_t{XCB_WINDOW_NONE};
    }
    return announced;
}

bool windowManagerAnnounced(X11Connection& connection, xcb_window_t* known) {
    return takeAnnouncement(
        connection, askAnnouncement(connection, known ? *known : xcb_window_t{XCB_WINDOW_NONE}),
        known);
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

PendingProperty askActiveWindow(X11Connection& connection) {
    return requestProperty(connection, connection.root(), connection.atom("_NET_ACTIVE_WINDOW"),
                           XCB_ATOM_WINDOW, 1);
}

std::optional<xcb_window_t> takeActiveWindow(PendingProperty& asked) {
    const auto active = firstValue(takeValues(asked, XCB_ATOM_WINDOW));
    if (!active || *active == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    return *active;
}

std::optional<xcb_window_t> activeWindow(X11Connection& connection) {
    PendingProperty asked = askActiveWindow(connection);
    return takeActiveWindow(asked);
}

std::optional<AppRef> focusedApplication(X11Connection& connection) {
    const std::optional<xcb_window_t> active = activeWindow(connection);
    return active ? applicationOf(connection, *active) : std::nullopt;
}

std::optional<AppRef> applicationOf(X11Connection& connection, xcb_window_t window) {
    const std::optional<xcb_window_t> active = window;
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

std::optional<std::int64_t> processIdOf(X11Connection& connection, xcb_window_t window) {
    PendingProperty request =
        requestProperty(connection, window, connection.atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 1);
    const auto pid = firstValue(takeValues(request, XCB_ATOM_CARDINAL));
    if (!pid || *pid == 0) {
        return std::nullopt;
    }
    return std::int64_t{*pid};
}

} // namespace vantile
