#include "backends/x11/x11_window_state.h"

#include <thread>
#include <vector>

#include "backends/x11/x11_properties.h"

namespace vantile {
namespace {

constexpr std::uint32_t kRemove = 0;
constexpr auto kPollInterval = std::chrono::microseconds(500);

struct PlacementBlockers {
    bool maximizedVertically = false;
    bool maximizedHorizontally = false;
    bool fullscreen = false;

    bool any() const { return maximizedVertically || maximizedHorizontally || fullscreen; }
};

PendingProperty requestStates(X11Connection& connection, xcb_window_t window) {
    return requestProperty(connection, window, connection.atom("_NET_WM_STATE"), XCB_ATOM_ATOM);
}

PlacementBlockers takeBlockers(X11Connection& connection, PendingProperty& request) {
    const auto states = takeValues(request, XCB_ATOM_ATOM);
    if (!states) {
        return {};
    }
    const auto listed = [&](const char* name) {
        return listsValue(*states, connection.atom(name));
    };
    return {listed("_NET_WM_STATE_MAXIMIZED_VERT"), listed("_NET_WM_STATE_MAXIMIZED_HORZ"),
            listed("_NET_WM_STATE_FULLSCREEN")};
}

void requestRemoval(X11Connection& connection, xcb_window_t window,
                    const PlacementBlockers& blockers) {
    const xcb_atom_t state = connection.atom("_NET_WM_STATE");
    if (blockers.fullscreen) {
        sendToWindowManager(
            connection, window, state,
            {kRemove, connection.atom("_NET_WM_STATE_FULLSCREEN"), 0, kSourcePager, 0});
    }
    if (blockers.maximizedVertically || blockers.maximizedHorizontally) {
        sendToWindowManager(connection, window, state,
                            {kRemove, connection.atom("_NET_WM_STATE_MAXIMIZED_VERT"),
                             connection.atom("_NET_WM_STATE_MAXIMIZED_HORZ"), kSourcePager, 0});
    }
}

bool supportsBarrier(X11Connection& connection, PendingProperty& supportedRequest) {
    const auto supported = takeValues(supportedRequest, XCB_ATOM_ATOM);
    return supported && listsValue(*supported, connection.atom("_NET_REQUEST_FRAME_EXTENTS"));
}

// The window manager usually finishes within a few milliseconds; the limit only guards against
// one that ignores the request.
bool waitUntilLeft(X11Connection& connection, xcb_window_t window, WindowManagerBarrier* barrier,
                   std::chrono::steady_clock::time_point deadline) {
    while (std::chrono::steady_clock::now() < deadline) {
        PendingProperty statesRequest = requestStates(connection, window);
        const bool barrierPassed = barrier == nullptr || barrier->answered();
        if (barrierPassed && !takeBlockers(connection, statesRequest).any()) {
            return barrier != nullptr;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return false;
}

} // namespace

StateRequests requestStateAndSupport(X11Connection& connection, xcb_window_t window) {
    return {window, requestStates(connection, window),
            requestProperty(connection, connection.root(), connection.atom("_NET_SUPPORTED"),
                            XCB_ATOM_ATOM)};
}

bool leaveMaximizedStates(X11Connection& connection, StateRequests asked,
                          WindowManagerBarrier& barrier, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    const xcb_window_t window = asked.window;
    const PlacementBlockers blockers = takeBlockers(connection, asked.states);
    const bool useBarrier = supportsBarrier(connection, asked.supported);
    if (!blockers.any()) {
        return false;
    }
    requestRemoval(connection, window, blockers);
    if (useBarrier) {
        barrier.ask();
    }
    connection.flush();
    return waitUntilLeft(connection, window, useBarrier ? &barrier : nullptr, deadline);
}

} // namespace vantile
