#include "backends/x11/x11_window_backend.h"

#include <array>
#include <string_view>
#include <utility>

#include "backends/x11/x11_applications.h"
#include "backends/x11/x11_monitors.h"
#include "backends/x11/x11_properties.h"
#include "backends/x11/x11_window_geometry.h"
#include "backends/x11/x11_window_state.h"
#include "base/desktop_space.h"

namespace vantile {
namespace {

constexpr std::array<std::string_view, 16> kAtoms = {
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
};

} // namespace

X11WindowBackend::X11WindowBackend(X11Connection& connection, Clock& clock)
    : connection_(connection), barrier_(connection), identity_(connection), writer_(*this, clock) {
    connection_.internAtoms(kAtoms);
}

bool X11WindowBackend::isTrusted() {
    if (ahead_) {
        return takeAnnouncement(connection_, std::move(ahead_->announcement), &checkWindow_);
    }
    return windowManagerAnnounced(connection_, &checkWindow_);
}

void X11WindowBackend::askAhead() {
    ahead_.emplace(Ahead{askAnnouncement(connection_, checkWindow_), askActiveWindow(connection_)});
}

std::optional<AppRef> X11WindowBackend::focusedApplication() {
    return vantile::focusedApplication(connection_);
}

// The active window stands for the application in front and is its focused window, read once:
// reading it again would only let it change in between.
std::optional<WindowRef> X11WindowBackend::activeWindow() {
    const std::optional<xcb_window_t> active =
        ahead_ ? takeActiveWindow(ahead_->active) : vantile::activeWindow(connection_);
    if (!active) {
        return std::nullopt;
    }
    // A command on the window raises it next: its states are asked for in the same round trip.
    statesAhead_ = requestStateAndSupport(connection_, *active);
    if (!applicationOf(connection_, *active)) {
        return std::nullopt;
    }
    return identity_.refFor(*active);
}

std::optional<Rect> X11WindowBackend::visibleFrame(xcb_window_t window) {
    MonitorLayoutRequest layoutRequest(connection_);
    WindowGeometryRequest geometryRequest(connection_, window);
    PendingProperty supportedRequest = requestProperty(
        connection_, connection_.root(), connection_.atom("_NET_SUPPORTED"), XCB_ATOM_ATOM);
    const MonitorLayout layout = layoutRequest.get();
    const std::optional<WindowGeometry> geometry = geometryRequest.get();
    const auto supported = takeValues(supportedRequest, XCB_ATOM_ATOM);
    if (!geometry) {
        return std::nullopt;
    }
    look_ = Look{window, layout, geometry->decorations,
                 supported && listsValue(*supported, connection_.atom("_NET_MOVERESIZE_WINDOW"))};
    const Rect visible = geometry->visible();
    const Point origin = rootToWindowSpace(visible.origin(), layout.primary());
    return Rect{origin.x, origin.y, visible.width, visible.height};
}

std::optional<Rect> X11WindowBackend::frame(const WindowRef& window) {
    const std::optional<xcb_window_t> live = identity_.windowOf(window);
    return live ? visibleFrame(*live) : std::nullopt;
}

void X11WindowBackend::setFrame(const WindowRef& window, const Rect& frame,
                                std::function<void()> done) {
    writer_.write(window, frame);
    if (done) {
        done();
    }
}

// The look taken at the window just before, in the same command, serves once: the write that
// follows it needs nothing newer.
X11WindowBackend::Look X11WindowBackend::takeLook(xcb_window_t window) {
    if (!look_ || look_->window != window) {
        visibleFrame(window);
    }
    Look look = std::move(look_).value_or(Look{});
    look_.reset();
    return look;
}

void X11WindowBackend::writeFrame(xcb_window_t window, const Rect& visible) {
    const Look look = takeLook(window);
    if (look.window != window) {
        return;
    }
    const Decorations* decorations = &look.decorations;
    const Point rootOrigin = windowSpaceToRoot(visible.origin(), look.layout.primary());
    const Rect rootVisible{rootOrigin.x, rootOrigin.y, visible.width, visible.height};
    const bool moveResize = look.moveResize;
    // A window manager that publishes its frame places that frame's corner, and it alone knows
    // how the client's border (which it may have taken away) sits in it. One that does not
    // (i3) places the client's own corner, its border outside the client area.
    const ClientRect client = clientRectFor(rootVisible, decorations->frame, decorations->shadow);
    ClientRect request = configureRequestRect(client, decorations->frame);
    Reference reference = Reference::frameCorner;
    if (!decorations->framePublished && moveResize) {
        const auto border = static_cast<std::int32_t>(decorations->border);
        request = ClientRect{client.x - border, client.y - border, client.width, client.height};
        reference = Reference::clientCorner;
    }
    requestClientRect(connection_, window, request, reference, moveResize);
    connection_.drainEvents();
}

// Every request names position and size, as some window managers (Fluxbox) move a window asked
// only to resize and grow one asked only to move. The half not being set is the one asked for
// last in this command, where the window manager may not have carried it out yet, else the
// window's own.
std::optional<Rect> X11WindowBackend::frameToWrite(xcb_window_t window,
                                                   const std::optional<Point>& position,
                                                   const std::optional<Size>& size) {
    std::optional<Rect> base;
    if (intended_ && intended_->first == window) {
        base = intended_->second;
    } else {
        base = visibleFrame(window);
    }
    if (!base) {
        return std::nullopt;
    }
    const Point origin = position.value_or(base->origin());
    const Size extent = size.value_or(base->size());
    intended_ = {window, Rect{origin.x, origin.y, extent.width, extent.height}};
    return intended_->second;
}

void X11WindowBackend::setPosition(const WindowRef& window, const Point& position) {
    if (const std::optional<xcb_window_t> live = identity_.windowOf(window)) {
        if (const auto frame = frameToWrite(*live, position, std::nullopt)) {
            writeFrame(*live, *frame);
        }
    }
}

void X11WindowBackend::setSize(const WindowRef& window, const Size& size) {
    if (const std::optional<xcb_window_t> live = identity_.windowOf(window)) {
        if (const auto frame = frameToWrite(*live, std::nullopt, size)) {
            writeFrame(*live, *frame);
        }
    }
}

// A request names position and size together: the window manager sees the new size at the new
// position, where it fits, and moves the window once.
void X11WindowBackend::setFrame(const WindowRef& window, const Rect& frame) {
    if (const std::optional<xcb_window_t> live = identity_.windowOf(window)) {
        intended_ = {*live, frame};
        writeFrame(*live, frame);
        activate(*live);
    }
}

void X11WindowBackend::raise(const WindowRef& window) {
    const std::optional<xcb_window_t> live = identity_.windowOf(window);
    if (!live) {
        return;
    }
    const xcb_window_t target = *live;
    // A new command: what the window shows now is what its writes start from.
    intended_.reset();
    StateRequests asked = statesAhead_ && statesAhead_->window == target
                              ? std::move(*statesAhead_)
                              : requestStateAndSupport(connection_, target);
    statesAhead_.reset();
    if (leaveMaximizedStates(connection_, std::move(asked), barrier_)) {
        // Openbox puts the restored frame where the client stood before, yet records the client
        // there, and ignores a later move to that spot as one to where the window already is.
        // Writing the frame where it really stands makes the record true again.
        if (const std::optional<Rect> frame = visibleFrame(target)) {
            writeFrame(target, *frame);
        }
    }
    // Brought to the front with the frame written next, which the window manager then carries
    // out first: the window moves without waiting for the restacking.
    activateAfterWrite_ = target;
}

void X11WindowBackend::activate(xcb_window_t window) {
    if (std::exchange(activateAfterWrite_, XCB_WINDOW_NONE) != window) {
        return;
    }
    sendToWindowManager(connection_, window, connection_.atom("_NET_ACTIVE_WINDOW"),
                        {kSourcePager, XCB_CURRENT_TIME, 0, 0, 0});
    connection_.flush();
    connection_.drainEvents();
}

std::optional<std::int64_t> X11WindowBackend::processId(const WindowRef& window) {
    const std::optional<xcb_window_t> live = identity_.windowOf(window);
    return live ? processIdOf(connection_, *live) : std::nullopt;
}

} // namespace vantile
