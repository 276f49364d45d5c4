#include "backends/x11/x11_screens.h"

#include <array>
#include <utility>
#include <string_view>

#include "backends/x11/x11_monitors.h"
#include "backends/x11/x11_strut_scan.h"
#include "base/desktop_space.h"

namespace vantile {
namespace {

// The stand-in for the whole root has no RandR name; this id cannot clash with an atom, which
// never exceeds 29 bits.
constexpr std::uint64_t kWholeRootId = std::uint64_t{1} << 32;

using PendingPointer = Pending<&xcb_query_pointer_reply>;

PendingPointer requestPointer(X11Connection& connection) {
    return PendingPointer(connection, xcb_query_pointer(connection.raw(), connection.root()));
}

std::optional<Point> pointerInRoot(PendingPointer& request) {
    auto reply = request.get();
    if (!reply) {
        return std::nullopt;
    }
    return Point{static_cast<double>(reply->root_x), static_cast<double>(reply->root_y)};
}

std::vector<Screen> toScreens(X11Connection& connection, const MonitorLayout& layout,
                              const std::vector<Strut>& struts) {
    std::vector<xcb_atom_t> names;
    for (const X11Monitor& monitor : layout.monitors) {
        names.push_back(monitor.name);
    }
    const std::vector<std::string> labels = connection.atomNames(names);
    const Rect primary = layout.primary();
    std::vector<Screen> screens;
    for (std::size_t i = 0; i < layout.monitors.size(); ++i) {
        const X11Monitor& monitor = layout.monitors[i];
        Screen screen;
        screen.id = monitor.name != XCB_ATOM_NONE ? monitor.name : kWholeRootId;
        screen.frame = rootToScreenSpace(monitor.frame, primary);
        screen.visibleFrame = rootToScreenSpace(usableArea(monitor.frame, struts), primary);
        screen.localizedName = monitor.name != XCB_ATOM_NONE ? labels[i] : "Screen";
        screens.push_back(std::move(screen));
    }
    return screens;
}

} // namespace

X11Screens::X11Screens(X11Connection& connection) : connection_(connection) {
    static constexpr std::array<std::string_view, 4> kAtoms = {
        "_NET_CLIENT_LIST", "_NET_WM_STRUT_PARTIAL", "_NET_WM_STRUT", "WM_STATE"};
    connection_.internAtoms(kAtoms);
}

struct X11Screens::Ahead {
    MonitorLayoutRequest layout;
    StrutScan struts;
};

void X11Screens::askAhead() {
    ahead_ = std::make_shared<Ahead>(Ahead{MonitorLayoutRequest(connection_), StrutScan(connection_)});
}

std::vector<Screen> X11Screens::screens() const {
    const auto ahead = std::exchange(ahead_, nullptr);
    if (ahead) {
        const MonitorLayout layout = ahead->layout.get();
        return toScreens(connection_, layout, ahead->struts.get(layout.rootSize));
    }
    MonitorLayoutRequest layoutRequest(connection_);
    StrutScan strutScan(connection_);
    const MonitorLayout layout = layoutRequest.get();
    return toScreens(connection_, layout, strutScan.get(layout.rootSize));
}

std::optional<Screen> X11Screens::mainScreen() const {
    MonitorLayoutRequest layoutRequest(connection_);
    StrutScan strutScan(connection_);
    PendingPointer pointerRequest = requestPointer(connection_);
    const MonitorLayout layout = layoutRequest.get();
    const std::optional<Point> pointer = pointerInRoot(pointerRequest);
    const std::vector<Screen> screens =
        toScreens(connection_, layout, strutScan.get(layout.rootSize));
    for (std::size_t i = 0; pointer && i < screens.size(); ++i) {
        if (contains(layout.monitors[i].frame, *pointer)) {
            return screens[i];
        }
    }
    if (screens.empty()) {
        return std::nullopt;
    }
    return screens.front();
}

std::optional<std::uint32_t> X11Screens::currentDesktop() const {
    PendingProperty request =
        requestProperty(connection_, connection_.root(), connection_.atom("_NET_CURRENT_DESKTOP"),
                        XCB_ATOM_CARDINAL, 1);
    return firstValue(takeValues(request, XCB_ATOM_CARDINAL));
}

Point X11Screens::mouseLocation() const {
    MonitorLayoutRequest layoutRequest(connection_);
    PendingPointer pointerRequest = requestPointer(connection_);
    const MonitorLayout layout = layoutRequest.get();
    const std::optional<Point> pointer = pointerInRoot(pointerRequest);
    return pointer ? rootToScreenSpace(*pointer, layout.primary()) : Point{};
}

} // namespace vantile
